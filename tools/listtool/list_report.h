// The check command's printed report: what each machine type takes, then
// every warning with its line.
#pragma once

#include "list_check.h"

#include <cstdio>

void print_check_report(std::FILE* out, const list_check& check);

// The two platform probes.
#pragma once

bool is_64bit_windows();
bool is_vista_or_later();

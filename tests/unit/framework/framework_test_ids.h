// Resources of the framework tests.
#pragma once

#define IDD_TEST_DIALOG 200
#define IDS_TEST_MESSAGE 201
#define IDC_TEST_BUTTON 300
#define IDC_TEST_OWNERDRAW 301

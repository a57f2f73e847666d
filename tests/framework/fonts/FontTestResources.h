#pragma once
// Resources of the bitmap font tests.
#define IDR_TEST_FONT_EMPTY 9001
#define IDR_TEST_FONT_SHORT 9002

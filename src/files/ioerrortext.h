#pragma once

#include <string>

// The runtime's French text for an input/output error code (UTF-8): 2, 3, 4,
// 5 and 101 have their own words, any other code is given by its number.
// Free of Qt: the Windows layer's tests check its codes against these texts.
std::string ioErrorText(int code);

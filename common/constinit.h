// TOLOPEN_CONSTINIT: a global that the compiler must initialise as a constant. The delivered
// program runs no constructors of globals (win32/win_main.cpp), so its globals are declared so.
#pragma once

#if defined(__clang__)
#define TOLOPEN_CONSTINIT [[clang::require_constant_initialization]]
#else
#define TOLOPEN_CONSTINIT __constinit
#endif

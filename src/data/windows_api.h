#pragma once
// The Windows API for the file code that needs it, without the macros that clash with
// the standard library (min, max) or pull in what the core never uses.
#include <QtGlobal>

#ifdef Q_OS_WIN
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

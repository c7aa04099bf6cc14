// Windows socket headers in the one order they compile in (Winsock 2 before anything that pulls
// in windows.h), without the min/max macros. Included only by link's .cpp files under _WIN32.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <mstcpip.h>
// clang-format on
#endif

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The user's locale identifier: on Windows the system's, elsewhere the Windows LCID of the first
// non-empty of LC_ALL, LC_MESSAGES and LANG (0409 when unknown, "C" or "POSIX").
uint32_t UserDefaultLCID();

// The first non-empty of LC_ALL, LC_MESSAGES and LANG; empty when none is set.
std::string UserLocaleName();

// "de_DE.UTF-8" → 0x0407; a language alone ("de") gives its primary LCID; 0x0409 when unknown.
uint32_t LCIDOfLocaleName(std::string_view posixName);

// The Windows ANSI code page of a POSIX locale name ("ru_RU.UTF-8" → 1251); 1252 when unknown.
uint32_t AnsiCodePageOfLocaleName(std::string_view posixName);

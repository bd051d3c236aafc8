#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Content no author would write, made at test time so none of it lies in the repository.

// A folder name of Latin with diacritics, Greek, Cyrillic, CJK and a character beyond the
// basic plane (a surrogate pair in UTF-16).
extern const wchar_t NonAsciiName[];

// Bytes of every value, zero and line ends included, the same for the same seed.
std::string GarbageBytes(size_t size, unsigned seed);

// The text followed by comment lines up to at least size bytes: as enormous as
// wanted, yet still the same program for a compiler.
std::string PaddedSource(const std::string& text, size_t size);

// One unknown preprocessor directive per line, then a syntax error: a small
// file for which the compiler writes a warning per line, tens of times its size.
std::string WarningFlood(size_t lines);

// A file of size zero bytes made without writing them (sparse where the file
// system allows), for sizes no test wants to fill.
bool ExtendFileTo(const std::wstring& path, uint64_t size);

// Puts a hostile file in place of a real one, given the real one's content.
using FileWriter = std::function<bool(const std::wstring& path, const std::string& realContent)>;

FileWriter Unchanged();
FileWriter Content(const std::string& bytes);
// Each makes its content when it writes, so tables of cases cost nothing until run.
FileWriter Garbage(size_t size, unsigned seed);  // see GarbageBytes
FileWriter Flood(size_t lines);                  // see WarningFlood
FileWriter Padded(size_t size);                  // the real content, padded with comments to the size
FileWriter ExtendedTo(uint64_t size);            // see ExtendFileTo

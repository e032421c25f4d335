#pragma once
// The run-time's string functions over UTF-8 text. Lengths and positions are
// counted in characters (code points), 1-based where the classic functions are
// 1-based; a malformed byte counts as one character and is kept as it is.
// "Blank" means the space character U+0020 only.
#include <cstddef>
#include <string>
#include <string_view>

namespace kp {

// Case of one character: Latin-1, Latin Extended-A (the Windows-1252
// repertoire and more), basic Greek and Cyrillic. ß, µ and characters without
// a single-character counterpart stay as they are.
char32_t UpperChar(char32_t c);
char32_t LowerChar(char32_t c);
bool IsLetter(char32_t c);     // a character that has a case, or ß
bool IsDigitChar(char32_t c);  // 0-9

std::string Upper(std::string_view s);
std::string Lower(std::string_view s);
// First letter of each word upper case, the other letters lower case. A word
// starts with a letter that follows anything but a letter or digit.
std::string Proper(std::string_view s);

std::string Trim(std::string_view s);  // trailing blanks removed (= RTrim)
std::string RTrim(std::string_view s);
std::string LTrim(std::string_view s);    // leading blanks removed
std::string AllTrim(std::string_view s);  // both

size_t Len(std::string_view s);  // characters
// The first n characters (all when the text is shorter; "" for n <= 0).
std::string Left(std::string_view s, int n);
// The last n characters.
std::string Right(std::string_view s, int n);
// count characters from the 1-based position start (count < 0: to the end).
// start 0 counts as 1; a negative start counts from the end (-1 = last).
std::string SubStr(std::string_view s, int start, int count = -1);

// 1-based character position of the first / last occurrence of search in s;
// 0 when absent or when search is empty.
size_t At(std::string_view search, std::string_view s);
size_t RAt(std::string_view search, std::string_view s);

// Deletes del characters at the 1-based position start and inserts ins there
// (a start past the end appends).
std::string Stuff(std::string_view s, int start, int del, std::string_view ins);

// The character of a code point, and the code point of a text's first
// character (0 for ""; a malformed byte gives its byte value).
std::string Chr(char32_t c);
char32_t Asc(std::string_view s);

std::string Replicate(std::string_view s, int times);
std::string Space(int n);

// Padded with fill (its first character; a blank when empty) to n characters
// on the left / right / both sides; a longer text is cut to its first n.
std::string PadL(std::string_view s, int n, std::string_view fill = " ");
std::string PadR(std::string_view s, int n, std::string_view fill = " ");
std::string PadC(std::string_view s, int n, std::string_view fill = " ");

// Replaces occurrences of search by repl, left to right, never rescanning
// inserted text: starting with the start-th occurrence (1-based), at most
// count of them (count < 0: all). An empty search changes nothing.
std::string StrTran(std::string_view s, std::string_view search, std::string_view repl,
                    int start = 1, int count = -1);

}  // namespace kp

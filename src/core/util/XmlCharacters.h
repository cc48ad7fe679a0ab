#pragma once

// The characters an XML 1.0 document can carry: tab, line feed, carriage return and every other
// character from the blank on, except the surrogates, U+FFFE and U+FFFF. The writer drops the rest
// from texts it stores; the scanner refuses a document holding any of them.
constexpr bool isXmlCharacter(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

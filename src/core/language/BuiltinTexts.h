#pragma once

struct BuiltinText {
    int slot;
    const char* text; // UTF-8
};

// Texts that this product shows.
extern const BuiltinText kBuiltinTexts[];
extern const int kBuiltinTextCount;
// Texts of the hidden controls of other products of the family.
extern const BuiltinText kHiddenTexts[];
extern const int kHiddenTextCount;

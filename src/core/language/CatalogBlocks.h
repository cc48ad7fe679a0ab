#pragma once

// Where texts may stand in the message catalog. The converter family's windows share the built-in
// texts of FamilyTextBlocks, each block filled without gaps from its first slot. This product adds
// its own texts only inside ProductTextBlocks, slots the family leaves empty, so a language file
// written for the family never meets one of them. Every slot outside both holds one blank.
struct SlotBlock {
    int first;
    int last;
    constexpr bool holds(int slot) const { return slot >= first && slot <= last; }
};

inline constexpr SlotBlock FamilyTextBlocks[] = {
    {0, 37},    {100, 110}, {200, 207},   {300, 321},   {400, 592},   {600, 630},   {700, 710},
    {800, 837}, {900, 903}, {1000, 1046}, {1100, 1199}, {1300, 1398}, {1400, 1474}, {1500, 1550},
};

inline constexpr SlotBlock ProductTextBlocks[] = {
    {38, 99}, {322, 399}, {593, 599}, {838, 899}, {904, 999}, {1047, 1099}, {1200, 1299},
};

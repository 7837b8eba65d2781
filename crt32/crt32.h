// Console control: colour, cursor row and row clearing on the console of standard output.
// Coordinates are 1-based; every operation fetches the console afresh and keeps no state.
#pragma once

#include <cstdint>

std::uint16_t GetTextAttribute();
void SetTextAttribute(std::uint16_t attribute);
// Sets the foreground colours from colour, keeping the current background.
void SetTextColor(std::uint8_t colour);
int CursorRow();
void MoveCursor(int column, int row);
// Blanks from the cursor to the end of its row in the current colours; the cursor stays.
void ClearToLineEnd();

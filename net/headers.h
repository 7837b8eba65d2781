// Header lines of a response.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The trimmed value of the first header line whose field name (the text before its first
// ":", trimmed) equals name, ignoring ASCII case; empty when no line has that name.
std::string GetHeaderValue(std::string_view name, std::string_view headerText);

// What the first line of a response says about it.
struct StatusLine {
  int Code = 0;        // three digits, 000 to 999
  std::string Reason;  // the server's text after the code, without the blanks around it; may be empty
};

// Reads the first line of headerText as a status line: "HTTP/", digits, ".", digits, one or
// more blanks, exactly three digits, then the end of the line or a blank and the reason phrase.
// False, with status emptied, when the line has any other form.
bool ReadStatusLine(std::string_view headerText, StatusLine& status);

// The server's text made safe to print: every byte outside 32-126 becomes "?", and the text is
// cut to at most most bytes.
std::string PrintableText(std::string_view text, std::size_t most);

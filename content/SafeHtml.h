#pragma once

// A catalogue's HTML description as rich text that is safe to show: only simple markup
// (b, i, u, em, strong, p, br, lists, headings, blockquote, pre, code) and links whose
// address is http(s) (relative ones made absolute against `base`); no script or style and
// what they hold, no image (its alternative text in brackets, nothing fetched), no other
// attribute. Text outside tags is kept with &, < and > escaped as needed.

#include <string>
#include <string_view>

namespace fx {

std::string SafeHtml(std::string_view html, std::string_view base);

// Plain text as HTML: escaped, line breaks kept.
std::string PlainTextHtml(std::string_view text);

}  // namespace fx

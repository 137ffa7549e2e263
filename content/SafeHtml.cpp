#include "content/SafeHtml.h"

#include <array>

#include "content/ContentText.h"

namespace fx {

namespace {

constexpr std::array kKeptTags = {"b",  "i",  "u",  "em",         "strong", "p",
                                  "br", "ul", "ol", "li",         "h1",     "h2",
                                  "h3", "h4", "hr", "blockquote", "pre",    "code"};

bool IsKept(std::string_view tag) {
  for (const std::string_view kept : kKeptTags)
    if (tag == kept) return true;
  return false;
}

void AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '"')
      out += "&quot;";
    else
      out += c;
  }
}

// The value of attribute `name` in a tag's text ("a href='x' title=y"), unquoted.
std::string AttributeOf(std::string_view tag, std::string_view name) {
  const std::string lower = LowerAscii(tag);
  for (std::size_t at = lower.find(name); at != std::string::npos; at = lower.find(name, at + 1)) {
    const bool wordStart =
        at > 0 && (lower[at - 1] == ' ' || lower[at - 1] == '\t' || lower[at - 1] == '\n');
    std::size_t i = at + name.size();
    while (i < lower.size() && lower[i] == ' ')
      ++i;
    if (!wordStart || i >= lower.size() || lower[i] != '=') continue;
    ++i;
    while (i < lower.size() && lower[i] == ' ')
      ++i;
    if (i >= tag.size()) return {};
    const char quote = tag[i];
    if (quote == '"' || quote == '\'') {
      const std::size_t end = tag.find(quote, i + 1);
      return std::string(tag.substr(i + 1, end == std::string_view::npos ? end : end - i - 1));
    }
    const std::size_t end = tag.find_first_of(" \t\n>", i);
    return std::string(tag.substr(i, end == std::string_view::npos ? end : end - i));
  }
  return {};
}

// An address a click may open: http(s), or relative to the catalogue's pages.
std::string LinkAddress(std::string_view href, std::string_view base) {
  const std::string lower = LowerAscii(href);
  if (lower.starts_with("http://") || lower.starts_with("https://")) return std::string(href);
  if (href.empty() || lower.find(':') != std::string::npos || href.starts_with("//")) return {};
  return std::string(base) + std::string(href);
}

}  // namespace

std::string SafeHtml(std::string_view html, std::string_view base) {
  std::string out;
  bool linkOpen = false;
  for (std::size_t i = 0; i < html.size();) {
    if (html[i] != '<') {
      const std::size_t next = html.find('<', i);
      const std::string_view text =
          html.substr(i, next == std::string_view::npos ? next : next - i);
      // Entities stay as written; a bare '&' or '>' is escaped.
      for (std::size_t k = 0; k < text.size(); ++k) {
        const std::size_t semi = text.find(';', k);
        const bool entity =
            text[k] == '&' && semi != std::string_view::npos && semi - k <= 8 &&
            text.substr(k + 1, semi - k - 1).find_first_of(" &<") == std::string_view::npos &&
            semi > k + 1;
        if (entity)
          out += text[k];
        else
          AppendEscaped(out, text.substr(k, 1));
      }
      i = next == std::string_view::npos ? html.size() : next;
      continue;
    }
    const char after = i + 1 < html.size() ? html[i + 1] : ' ';
    const bool tagStart = (after >= 'a' && after <= 'z') || (after >= 'A' && after <= 'Z') ||
                          after == '/' || after == '!';
    if (!tagStart) {  // "1 < 2" is text
      out += "&lt;";
      ++i;
      continue;
    }
    const std::size_t close = html.find('>', i);
    if (close == std::string_view::npos) {  // a cut tag is text
      AppendEscaped(out, html.substr(i));
      break;
    }
    const std::string_view inner = html.substr(i + 1, close - i - 1);
    i = close + 1;
    const bool ending = inner.starts_with('/');
    const std::string_view body = ending ? inner.substr(1) : inner;
    const std::string name = LowerAscii(body.substr(0, body.find_first_of(" \t\n/")));
    if (name == "script" || name == "style") {
      if (ending) continue;
      const std::string lower = LowerAscii(html.substr(i));
      const std::size_t end = lower.find("</" + name);
      i = end == std::string::npos ? html.size() : html.find('>', i + end) + 1;
      if (i == 0) i = html.size();
      continue;
    }
    if (name == "img") {
      const std::string alt = AttributeOf(body, "alt");
      out += "[";
      AppendEscaped(out, alt.empty() ? "image" : alt);
      out += "]";
    } else if (name == "a") {
      if (ending && linkOpen) {
        out += "</a>";
        linkOpen = false;
      } else if (!ending && !linkOpen) {
        const std::string address = LinkAddress(AttributeOf(body, "href"), base);
        if (!address.empty()) {
          out += "<a href=\"";
          AppendEscaped(out, address);
          out += "\">";
          linkOpen = true;
        }
      }
    } else if (IsKept(name)) {
      out += ending ? "</" + name + ">" : "<" + name + ">";
    }
  }
  if (linkOpen) out += "</a>";
  return out;
}

std::string PlainTextHtml(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n')
      out += "<br>";
    else
      AppendEscaped(out, std::string_view(&c, 1));
  }
  return out;
}

}  // namespace fx

// URL parsing, request targets and relocation for the HTTP client.
//
// Pure functions over text: no sockets, no allocation beyond the results. The
// client keeps its target as host, port and an origin-form path ("/a/b?q");
// the request line sent to a proxy is built from those, so the user and
// password of a URL never reach it.
//
// Every failure comes back as a readable text (the client's ReasonPhrase);
// nothing here throws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ov {

// The parts of a URL as the client's parser sees them. Proto is lower-case;
// Port is the text after the host's colon, empty when absent.
struct ParsedUrl {
    std::string Proto;
    std::string User;
    std::string Pass;
    std::string Host;
    std::string Port;
    std::string Path;
};

// Splits url into its parts. "://" splits off the protocol; a text starting
// with "/" is a path only; "http:" without "//" is followed by a path;
// "mailto:" gives protocol "mailto". The host part ends at the first "/" or
// "?"; in it the last "@" and the last ":" decide user, password, host and
// port. A fragment ("#...") is dropped from the path.
ParsedUrl ParseURL(std::string_view url);

// Where a request goes: the origin server's host and port and the origin-form
// path (always starting with "/", percent-encoded where needed).
struct HttpTarget {
    std::string host;
    uint16_t port = 80;
    std::string path = "/";
};

// Port text to number: digits in 1..65535, or a TCP service name. Returns
// false and sets error to the SetPort text otherwise.
bool parsePort(std::string_view text, uint16_t& port, std::string& error);

// True when text holds a CR or LF: such a value would split the request.
bool hasLineBreak(std::string_view text);

// The path of a request line: bytes that may not stand in a request target
// (controls, space, non-ASCII) are percent-encoded; a fragment is dropped;
// an empty path becomes "/", a path starting with "?" gets a "/" before it.
std::string encodePath(std::string_view path);

// Fills target (and user/password) from url. Only http is accepted; a port
// outside 1..65535 or a line break anywhere is refused. Returns false with
// error set on refusal.
bool targetFromUrl(
    std::string_view url, HttpTarget& target, std::string& user, std::string& password, std::string& error);

// The request target of the request line: origin form to an origin server,
// absolute form ("http://host[:port]/path") to a proxy.
std::string requestTarget(const HttpTarget& target, bool viaProxy);

// The Host header value: the host, with ":port" unless the port is 80.
std::string hostHeader(const HttpTarget& target);

// Resolves a Location value against the current target. An absolute URL
// without a port means port 80; a path keeps the current host and port; a
// relative reference is merged with the current path's folder (RFC 3986,
// section 5.2). Returns false with error set when the value is refused (line
// break, other protocol, bad port, no host).
bool resolveLocation(
    const HttpTarget& current, std::string_view location, HttpTarget& next, std::string& error);

// The file name a URL path suggests: the part after the last "/" (a trailing
// "/" removed first), cut at "?"; "document.htm" for "/" or an empty result.
std::string docNameOf(std::string_view path);

// Base64 of RFC 2045 with "=" padding.
std::string base64Encode(std::string_view data);

} // namespace ov

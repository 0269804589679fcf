#include "news/http_url.h"

#include "news/custom_async_socket.h"

#include <cctype>

namespace ov {

namespace {

const char* const kBadCharacter = "Invalid character in request";
const char* const kUnsupported = "Unsupported protocol";
const char* const kBadHost = "can't resolve hostname to IP address";

char lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string lowerCase(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = lower(c);
    return result;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (lower(text[i]) != lower(prefix[i]))
            return false;
    return true;
}

// The scheme of a URI reference ("http" of "http://x"), or "" when the text
// has none (RFC 3986, section 3.1: a letter, then letters, digits, "+-.").
std::string_view schemeOf(std::string_view text)
{
    if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0])))
        return {};
    for (size_t i = 1; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ':')
            return text.substr(0, i);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return {};
    }
    return {};
}

// RFC 3986, section 5.2.4: removes "." and ".." segments from a path.
std::string removeDotSegments(std::string_view input)
{
    std::string output;
    while (!input.empty()) {
        if (input.starts_with("../")) {
            input.remove_prefix(3);
        } else if (input.starts_with("./")) {
            input.remove_prefix(2);
        } else if (input.starts_with("/./")) {
            input.remove_prefix(2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.starts_with("/../") || input == "/..") {
            input = input.size() == 3 ? std::string_view("/") : input.substr(3);
            const auto slash = output.rfind('/');
            output.erase(slash == std::string::npos ? 0 : slash);
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            const auto next = input.find('/', 1);
            const auto length = next == std::string_view::npos ? input.size() : next;
            output.append(input.substr(0, length));
            input.remove_prefix(length);
        }
    }
    return output;
}

// Dot segments removed from the path part only; the query stays as it is.
std::string normalisePath(std::string_view path)
{
    const auto query = path.find_first_of("?#");
    std::string result = removeDotSegments(path.substr(0, query));
    if (query != std::string_view::npos)
        result += path.substr(query);
    return result;
}

// A host name goes into the Host header and a proxy's request line as it is:
// it may hold no space, control or non-ASCII byte, nor a character that would
// end or bend the URL there.
bool isValidHost(std::string_view host)
{
    for (char c : host) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F
            || std::string_view("\"<>\\^`{|}/?#@").find(c) != std::string_view::npos)
            return false;
    }
    return true;
}

} // namespace

ParsedUrl ParseURL(std::string_view url)
{
    ParsedUrl result;
    result.Proto = "http";
    std::string_view rest = url;
    const auto separator = url.find("://");
    const auto firstDelimiter = url.find_first_of("/?#@");
    if (url.starts_with("/")) {
        result.Path = std::string(url);
        return result;
    }
    if (separator != std::string_view::npos && separator < firstDelimiter) {
        result.Proto = lowerCase(url.substr(0, separator));
        rest = url.substr(separator + 3);
    } else if (startsWithNoCase(url, "http:")) {
        result.Path = std::string(url.substr(5));
        return result;
    } else if (startsWithNoCase(url, "mailto:")) {
        result.Proto = "mailto";
        rest = url.substr(7);
    }

    const auto pathStart = rest.find_first_of("/?#");
    std::string_view hostPart = rest.substr(0, pathStart);
    if (pathStart != std::string_view::npos)
        result.Path = std::string(rest.substr(pathStart));

    const auto at = hostPart.rfind('@');
    const auto colon = hostPart.rfind(':');
    if (at != std::string_view::npos) {
        const std::string_view userPart = hostPart.substr(0, at);
        const auto userColon = userPart.find(':');
        result.User = std::string(userPart.substr(0, userColon));
        if (userColon != std::string_view::npos)
            result.Pass = std::string(userPart.substr(userColon + 1));
    }
    const size_t hostStart = at == std::string_view::npos ? 0 : at + 1;
    if (colon != std::string_view::npos && (at == std::string_view::npos || colon > at)) {
        result.Host = std::string(hostPart.substr(hostStart, colon - hostStart));
        result.Port = std::string(hostPart.substr(colon + 1));
    } else {
        result.Host = std::string(hostPart.substr(hostStart));
    }
    return result;
}

bool parsePort(std::string_view text, uint16_t& port, std::string& error)
{
    const std::string name(text);
    error.clear();
    bool digits = !text.empty();
    unsigned long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            digits = false;
            break;
        }
        value = value * 10 + static_cast<unsigned long>(c - '0');
        if (value > 65535)
            break;
    }
    if (digits) {
        if (value >= 1 && value <= 65535) {
            port = static_cast<uint16_t>(value);
            return true;
        }
    } else if (!text.empty() && !hasLineBreak(text)) {
        port = servicePort(name, "tcp");
        if (port != 0)
            return true;
    }
    error = "SetPort: Cannot convert port '" + name + "'";
    return false;
}

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string encodePath(std::string_view path)
{
    static const char hex[] = "0123456789ABCDEF";
    path = path.substr(0, path.find('#'));
    std::string result;
    result.reserve(path.size() + 1);
    if (!path.starts_with("/"))
        result += '/';
    for (char c : path) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            result += '%';
            result += hex[byte >> 4];
            result += hex[byte & 15];
        } else {
            result += c;
        }
    }
    return result;
}

bool targetFromUrl(
    std::string_view url, HttpTarget& target, std::string& user, std::string& password, std::string& error)
{
    if (hasLineBreak(url)) {
        error = kBadCharacter;
        return false;
    }
    const ParsedUrl parts = ParseURL(url);
    if (parts.Proto != "http") {
        error = kUnsupported;
        return false;
    }
    if (!isValidHost(parts.Host)) {
        error = kBadHost;
        return false;
    }
    HttpTarget result;
    result.host = parts.Host;
    if (!parts.Port.empty() && !parsePort(parts.Port, result.port, error))
        return false;
    result.path = encodePath(parts.Path);
    target = result;
    user = parts.User;
    password = parts.Pass;
    return true;
}

std::string hostHeader(const HttpTarget& target)
{
    if (target.port == 80)
        return target.host;
    return target.host + ":" + std::to_string(target.port);
}

std::string requestTarget(const HttpTarget& target, bool viaProxy)
{
    if (!viaProxy)
        return target.path;
    return "http://" + hostHeader(target) + target.path;
}

bool resolveLocation(
    const HttpTarget& current, std::string_view location, HttpTarget& next, std::string& error)
{
    if (hasLineBreak(location)) {
        error = kBadCharacter;
        return false;
    }
    std::string absolute;
    if (location.starts_with("//"))
        absolute = "http:" + std::string(location);
    const std::string_view scheme = schemeOf(location);
    if (!scheme.empty()) {
        if (lowerCase(scheme) != "http") {
            error = kUnsupported;
            return false;
        }
        if (location.substr(scheme.size() + 1).starts_with("//"))
            absolute = std::string(location);
        else
            location.remove_prefix(scheme.size() + 1); // "http:page" is a relative reference
    }

    if (!absolute.empty()) {
        const ParsedUrl parts = ParseURL(absolute);
        if (parts.Host.empty() || !isValidHost(parts.Host)) {
            error = kBadHost;
            return false;
        }
        HttpTarget result;
        result.host = parts.Host;
        if (!parts.Port.empty() && !parsePort(parts.Port, result.port, error))
            return false;
        result.path = encodePath(normalisePath(parts.Path));
        next = result;
        return true;
    }

    // A relative reference: merged with the current path (RFC 3986, 5.2.2).
    const std::string_view base = current.path;
    const std::string_view basePath = base.substr(0, base.find('?'));
    std::string merged;
    if (location.starts_with("/")) {
        merged = std::string(location);
    } else if (location.empty() || location.starts_with("#")) {
        merged = std::string(base);
    } else if (location.starts_with("?")) {
        merged = std::string(basePath) + std::string(location);
    } else {
        const auto slash = basePath.rfind('/');
        merged = std::string(basePath.substr(0, slash == std::string_view::npos ? 0 : slash + 1))
            + std::string(location);
    }
    HttpTarget result = current;
    result.path = encodePath(normalisePath(merged));
    next = result;
    return true;
}

std::string docNameOf(std::string_view path)
{
    path = path.substr(0, path.find_first_of("?#"));
    while (path.ends_with("/"))
        path.remove_suffix(1);
    const auto slash = path.rfind('/');
    if (slash != std::string_view::npos)
        path.remove_prefix(slash + 1);
    if (path.empty())
        return "document.htm";
    return std::string(path);
}

std::string base64Encode(std::string_view data)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string result;
    result.reserve((data.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        const uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(data[i])) << 16
            | static_cast<uint32_t>(static_cast<unsigned char>(data[i + 1])) << 8
            | static_cast<unsigned char>(data[i + 2]);
        result += alphabet[group >> 18 & 63];
        result += alphabet[group >> 12 & 63];
        result += alphabet[group >> 6 & 63];
        result += alphabet[group & 63];
    }
    if (i < data.size()) {
        uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(data[i])) << 16;
        if (i + 1 < data.size())
            group |= static_cast<uint32_t>(static_cast<unsigned char>(data[i + 1])) << 8;
        result += alphabet[group >> 18 & 63];
        result += alphabet[group >> 12 & 63];
        result += i + 1 < data.size() ? alphabet[group >> 6 & 63] : '=';
        result += '=';
    }
    return result;
}

} // namespace ov

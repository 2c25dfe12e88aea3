#pragma once

#include <string>
#include <string_view>

// Splits "HOST[:PORT]" as people type destinations: a name or IPv4 address with an
// optional ":PORT", an IPv6 address in brackets with an optional ":PORT"
// ("[::1]:4126"), or a bare IPv6 address (more than one colon, no port). The
// host comes back without brackets. False for an empty host, an unclosed
// bracket, or a port that is not a number from 1 to 65535.
bool ParseHostPort(std::string_view text, int defaultPort, std::string& host, int& port);

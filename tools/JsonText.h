#pragma once

#include <string>

#include "KString.h"
#include "TFields.h"

// Appends text as a JSON string: pairs of surrogates as their character,
// lone surrogates and control characters escaped.
void AppendJsonString(std::string& out, const KString& text);

// Appends the "packet", "index" and "fields" members of a delivered packet
// (without braces), every text field in script order.
void AppendPacketMembers(std::string& out, const TFields& definition);

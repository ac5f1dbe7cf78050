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

// The objects in which the monitor and the web output report what the
// sources deliver, one per event (without a line end); each replaces out:
//   {"source":S,"packet":P,"index":I,"fields":[{"name":N,"value":V,"extracted":B},...]}
//   {"source":S,"remote":LINE}
//   {"source":S,"status":TEXT}
// A packet's source is its owner's name, empty when it has none.
void WritePacketObject(std::string& out, const TFields& definition);
void WriteRemoteObject(std::string& out, const KString& source, const KString& line);
void WriteStatusObject(std::string& out, const KString& source, const KString& status);

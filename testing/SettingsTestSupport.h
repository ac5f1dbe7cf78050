#pragma once

// What the settings tests share: a node's value as UTF-8 text.

#include <string>

#include "KRNode.h"
#include "KUtf8.h"

inline std::string ValueText(KRNode* node) {
    KString out;
    if (node) node->AppendValue(out);
    return KUtf8Of(out);
}

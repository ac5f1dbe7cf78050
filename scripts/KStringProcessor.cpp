#include "KStringProcessor.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

// Value of a character escape's digit: decimal digits and lower-case a to f.
int EscapeDigit(KChar c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

// A backslash and two escape digits at in[i]; the code in *code.
bool CharEscape(const KChar* in, int32_t n, int32_t i, int32_t* code) {
    if (i + 2 >= n || in[i] != u'\\') return false;
    int hi = EscapeDigit(in[i + 1]);
    int lo = EscapeDigit(in[i + 2]);
    if (hi < 0 || lo < 0) return false;
    *code = hi * 16 + lo;
    return true;
}

// The register shifted right by `bits`, as a mathematically exact arithmetic
// shift even past the register's width.
int32_t ShiftedRight(int32_t value, int32_t bits) {
    return static_cast<int32_t>(static_cast<int64_t>(value) >> std::min(bits, 63));
}

int32_t Wrap(uint32_t v) {
    return static_cast<int32_t>(v);
}

}  // namespace

KStringProcessor::KStringProcessor(int32_t registerCount)
    : registers_(static_cast<size_t>(std::max(registerCount, 0)), 0) {}

int32_t KStringProcessor::Register(int32_t index) const {
    return index >= 0 && index < static_cast<int32_t>(registers_.size()) ? registers_[index]
                                                                         : spare_;
}

int32_t& KStringProcessor::Reg(int32_t index) {
    return index >= 0 && index < static_cast<int32_t>(registers_.size()) ? registers_[index]
                                                                         : spare_;
}

bool KStringProcessor::CustomFormat(int32_t, int32_t, KString&, int32_t) {
    return false;
}
bool KStringProcessor::CustomProcess(int32_t, KString&, int32_t) {
    return false;
}

void KStringProcessor::ProcessEscapes(KString& output, const KString& input) {
    output.Empty();
    count_ = unit_ = kAbsent;
    const KChar* in = input.Chars();
    const int32_t n = input.Length();
    for (int32_t i = 0; i < n;) {
        int32_t code;
        if (in[i] != u'\\') {
            // A run of literal characters goes in at once.
            int32_t j = i + 1;
            while (j < n && in[j] != u'\\') ++j;
            output.Insert(KString(in + i, j - i), 0);
            output.Seek(j - i, 1);
            i = j;
        } else if (CharEscape(in, n, i, &code)) {
            output.InsertChars(static_cast<KChar>(code), 0, 1);
            output.Seek(1, 1);
            i += 3;
        } else {
            Command command;
            if (ParseCommand(in, n, i, &command, &i)) Execute(command, output);
        }
    }
    output.Seek(0, 0);
}

bool KStringProcessor::ParseCommand(const KChar* in, int32_t n, int32_t i, Command* command,
                                    int32_t* next) {
    int32_t j = i + 1;
    if (j >= n) {
        *next = n;
        return false;
    }
    command->code = in[j++];
    command->modifier = 0;
    if (j < n && in[j] >= u'a' && in[j] <= u'z') command->modifier = in[j++];
    if (j < n && KIsDigit(in[j])) {
        command->operand = in[j++] - u'0';
    } else if (CharEscape(in, n, j, &command->operand)) {
        j += 3;
    } else {
        *next = j;
        return false;
    }
    *next = j;
    return true;
}

void KStringProcessor::Execute(const Command& command, KString& output) {
    const int32_t behind = output.Start();
    const int32_t ahead = output.Length();
    const int32_t end = behind + ahead;
    const int32_t n = command.operand;
    switch (command.code) {
        case u'X':
            count_ = command.modifier == u'i' ? Reg(n) : n;
            return;
        case u'U':
            unit_ = command.modifier == u'i' ? Reg(n) : n;
            return;
        case u'+':
        case u'-':
        case u'*':
        case u'/':
        case u'#':
        case u'&':
        case u'|':
        case u'^':
        case u'<':
        case u'>':
        case u'=':
        case u'~':
            Arithmetic(command);
            break;
        case u'B': {
            int32_t m = count_ != kAbsent ? end - count_ : MoveCount(command);
            if (count_ == kAbsent && m == 0) m = behind;
            m = std::min(m, behind);
            if (m > 0) {
                output.Seek(-m, 1);
                output.Delete(0, m);
            }
            break;
        }
        case u'D': {
            int32_t m = count_ != kAbsent ? end - count_ : MoveCount(command);
            if (count_ == kAbsent && m == 0) m = ahead;
            output.Delete(0, std::min(m, ahead));
            break;
        }
        case u'I': {
            int32_t m = MoveCount(command);
            KChar fill = u' ';
            if (command.modifier == u'c' && count_ != kAbsent) {
                fill = static_cast<KChar>(count_);
            } else if (count_ != kAbsent) {
                m = static_cast<int32_t>(
                    std::clamp<int64_t>(int64_t{count_} - end, -1, KString::kMaxLimit));
            }
            output.InsertChars(fill, 0, m);
            break;
        }
        case u'L': {
            int32_t m = MoveCount(command);
            m = std::min(m == 0 ? behind : m, behind);
            if (m > 0) output.Seek(-m, 1);
            break;
        }
        case u'R': {
            int32_t m = MoveCount(command);
            m = std::min(m == 0 ? ahead : m, ahead);
            if (m > 0) output.Seek(m, 1);
            break;
        }
        case u'S':
            Scan(n, output);
            break;
        case u'O':
            Output(n, output);
            break;
        case u'F':
        case u'P': {
            int32_t count = count_ != kAbsent ? std::clamp(count_, 0, ahead) : ahead;
            if (command.code == u'F') {
                CustomFormat(unit_ != kAbsent ? unit_ : 0, n, output, count);
            } else {
                CustomProcess(n, output, count);
            }
            break;
        }
        default:
            break;
    }
    count_ = unit_ = kAbsent;
}

void KStringProcessor::Arithmetic(const Command& command) {
    int32_t& r = Reg(command.operand);
    const int32_t v = unit_ != kAbsent ? Reg(unit_) : count_ != kAbsent ? count_ : 1;
    const uint32_t a = static_cast<uint32_t>(r);
    const uint32_t b = static_cast<uint32_t>(v);
    const bool overflows = r == std::numeric_limits<int32_t>::min() && v == -1;
    switch (command.code) {
        case u'+':
            r = Wrap(a + b);
            break;
        case u'-':
            r = Wrap(a - b);
            break;
        case u'*':
            r = Wrap(a * b);
            break;
        case u'/':
            r = v == 0 ? 0 : overflows ? r : r / v;
            break;
        case u'#':
            r = v == 0 || overflows ? 0 : r % v;
            break;
        case u'&':
            r = Wrap(a & b);
            break;
        case u'|':
            r = Wrap(a | b);
            break;
        case u'^':
            r = Wrap(a ^ b);
            break;
        case u'<':
            r = Wrap(a << (b & 31));
            break;
        case u'>':
            r = r >> (b & 31);
            break;
        case u'=':
            r = v;
            break;
        case u'~':
            r = Wrap(~a);
            break;
        default:
            break;
    }
}

void KStringProcessor::Scan(int32_t reg, const KString& output) {
    int32_t k = count_ != kAbsent ? count_ : 1;
    if (unit_ == 1 || unit_ == 2) {
        k = std::clamp(k, 0, 4);
        uint32_t value = 0;
        for (int32_t i = 0; i < k; ++i) {
            uint32_t c = output.CharAt(i);
            value = unit_ == 1 ? value | (c << (8 * i)) : (value << 8) | c;
        }
        Reg(reg) = Wrap(value);
        return;
    }
    k = std::clamp(k, 0, std::min(10, output.Length()));
    KString digits(output.Chars(), k);
    int32_t value;
    if (digits.ParseInt(&value, 10)) Reg(reg) = value;
}

void KStringProcessor::Output(int32_t reg, KString& output) {
    const int32_t k = std::clamp(count_ != kAbsent ? count_ : 1, 0, 10);
    const int32_t value = Reg(reg);
    KChar units[16];
    if (unit_ >= 2 && unit_ <= 5) {
        static const char* const formats[] = {"%*.*d", "%0*.*d", "%-*.*d", "%-0*.*d"};
        char text[32];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        std::snprintf(text, sizeof text, formats[unit_ - 2], k, k, value);
#pragma GCC diagnostic pop
        for (int32_t i = 0; i < k; ++i) units[i] = static_cast<unsigned char>(text[i]);
    } else {
        for (int32_t i = 0; i < k; ++i) {
            int32_t bits = 8 * (unit_ == 1 ? k - 1 - i : i);
            units[i] = static_cast<KChar>(ShiftedRight(value, bits) & 0xFFFF);
        }
    }
    KString text(units, k);
    output.Insert(text, 0);
    output.Seek(k, 1);
}

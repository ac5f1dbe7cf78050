#pragma once

#include <cstdint>
#include <vector>

#include "KString.h"

// The escape language: character escapes ("\0d") insert codes, commands
// ("\X3\U2\O9") edit the output around a cursor and compute with integer
// registers. The output's read cursor is the editing cursor: text behind it
// is before the cursor, its visible text is ahead of it.
class KStringProcessor {
  public:
    explicit KStringProcessor(int32_t registerCount);
    virtual ~KStringProcessor() = default;

    // Replaces output by the expansion of input; never fails.
    void ProcessEscapes(KString& output, const KString& input);

    // A register; an index outside the register range names the spare one.
    int32_t Register(int32_t index) const;
    void SetRegister(int32_t index, int32_t value) { Reg(index) = value; }

  protected:
    // Hooks for the F and P commands; count is how many units ahead they may
    // touch. They report whether they did anything.
    virtual bool CustomFormat(int32_t unit, int32_t operand, KString& output, int32_t count);
    virtual bool CustomProcess(int32_t operand, KString& output, int32_t count);

  private:
    static constexpr int32_t kAbsent = -1;

    struct Command {
        KChar code;
        KChar modifier;
        int32_t operand;
    };

    int32_t& Reg(int32_t index);
    // Parses the command at input[i] (a backslash); returns false when it has
    // no operand. *next is where processing goes on either way.
    static bool ParseCommand(const KChar* in, int32_t n, int32_t i, Command* command,
                             int32_t* next);
    void Execute(const Command& command, KString& output);
    void Arithmetic(const Command& command);
    void Scan(int32_t reg, const KString& output);
    void Output(int32_t reg, KString& output);
    // The count B, D, I, L and R work with: the operand, or reg(U) when given.
    int32_t MoveCount(const Command& command) {
        return unit_ != kAbsent ? Reg(unit_) : command.operand;
    }

    std::vector<int32_t> registers_;
    int32_t spare_ = 0;
    int32_t count_ = kAbsent;  // X
    int32_t unit_ = kAbsent;   // U
};

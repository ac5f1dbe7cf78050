#include "TMemoryBudget.h"

#include <algorithm>

#include "KAssert.h"
#include "KLog.h"
#include "KRValues.h"
#include "KRegistry.h"
#include "KX.h"

namespace {

const KRInt* budget = nullptr;
int64_t used = 0;

int32_t MiB(int64_t bytes) {
    return static_cast<int32_t>(std::clamp<int64_t>(bytes >> 20, 0, INT32_MAX));
}

}  // namespace

void TMemoryBudget::Bind(KRegistry* settings) {
    budget = settings ? settings->FindInt(KString(u"\\Display\\MemoryBudget")) : nullptr;
}

int64_t TMemoryBudget::Limit() {
    const int64_t mib = budget ? std::max(budget->value, 0) : kDefaultMiB;
    return mib << 20;
}

int64_t TMemoryBudget::Used() {
    return used;
}

bool TMemoryBudget::Share::Take(int64_t bytes, const char* who) {
    Release();
    if (bytes > Limit() - used) {
        Refuse(who);
        return false;
    }
    bytes_ = bytes;
    used += bytes;
    return true;
}

void TMemoryBudget::Refuse(const char* who) {
    KString text(63, 255);
    text.AppendNarrow(who)
        .AppendNarrow(": error ")
        .AppendInt(kErrNoMemory)
        .AppendNarrow(": the picture does not fit in the memory budget (")
        .AppendInt(MiB(Limit() - used))
        .AppendNarrow(" MiB left)");
    KLog::WriteProgram(text, u'E');
}

void TMemoryBudget::Share::Release() {
    used -= bytes_;
    bytes_ = 0;
    K_ASSERT(used >= 0);
}

int64_t TMemoryBudget::Share::Left() const {
    return std::max<int64_t>(Limit() - used + bytes_, 0);
}

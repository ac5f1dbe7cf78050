#include "KLog.h"

#include <atomic>

#include "KDateTime.h"
#include "KX.h"

namespace {
std::atomic<KLog*> programLog{nullptr};
}

void KLog::SetProgramLog(KLog* log) {
    programLog = log;
}

void KLog::WriteProgram(const KString& message, KChar category) {
    if (KLog* log = programLog.load()) log->Write(message, category);
}

KLog::KLog(const KString& path) : file_(path) {
    try {
        file_.Open(KFile::kReadWrite | KFile::kShareRead, true);
        file_.SetWriteEncoding(KStream::kSingleByte);
        file_.Seek(0, 2);
    } catch (const KX&) {
        file_.Close();
    }
}

KLog::~KLog() {
    KLog* self = this;
    programLog.compare_exchange_strong(self, nullptr);
    if (!file_.IsOpen()) return;
    int64_t size = -1;
    try {
        size = file_.GetSize();
    } catch (const KX&) {
    }
    file_.Close();
    if (size == 0) file_.Delete();
}

void KLog::Write(const KString& message, KChar category) {
    Lock(-1);
    if (file_.IsOpen()) {
        KString entry(127, 65535);
        if (category) entry.AppendChar(category).Append(u": ");
        KDateTime::Now().AppendText(entry);
        entry.Append(u": ").Append(message).AppendChar(u'\n');
        try {
            file_.WriteText(entry);
        } catch (const KX&) {
        }
    }
    Unlock();
}

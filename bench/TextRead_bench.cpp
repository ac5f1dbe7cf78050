// Reading a 10 MB text file character by character through KBufferedFile and
// GetChar, the way scripts and settings files are read.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "KBufferedFile.h"
#include "KUtf8.h"

namespace {

constexpr size_t kFileSize = 10 * 1024 * 1024;

const std::string& TextFile() {
    static const std::string path = [] {
        std::string p = "/tmp/tessaron-bench-text-" + std::to_string(getpid());
        FILE* f = std::fopen(p.c_str(), "wb");
        const char line[] = "textfield=Lane 4 Time,length=8,process=%.2s:%.2s.%.2s\r\n";
        for (size_t n = 0; n < kFileSize; n += sizeof line - 1)
            std::fwrite(line, 1, sizeof line - 1, f);
        std::fclose(f);
        return p;
    }();
    return path;
}

void BM_GetCharThroughBufferedFile(benchmark::State& state) {
    KString path;
    KAppendUtf8(path, TextFile());
    int64_t bytes = 0;
    for (auto _ : state) {
        KBufferedFile file(path);
        file.Open(KFile::kRead, false);
        uint32_t sum = 0;
        while (file.Peek()) sum += file.GetChar();
        benchmark::DoNotOptimize(sum);
        bytes += file.GetSize();
    }
    state.SetBytesProcessed(bytes);
}

BENCHMARK(BM_GetCharThroughBufferedFile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::remove(TextFile().c_str());
}

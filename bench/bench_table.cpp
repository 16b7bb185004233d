// Prints the table of scripts/bench.sh:
//   kmission_bench_table BENCHMARK_JSON [MEMORY_JSON...]

#include "bench_report.h"

#include <QFile>

#include <cstdio>

namespace {

QByteArray ReadAll(const char* path) {
    QFile file(QString::fromLocal8Bit(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray{};
}

} // namespace

int main(int argc, char** argv) {
    using namespace kmission::bench;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s BENCHMARK_JSON [MEMORY_JSON...]\n", argv[0]);
        return 2;
    }
    const auto runs = ReadBenchmarkJson(ReadAll(argv[1]));
    if (!runs) {
        std::fprintf(stderr, "%s holds no benchmark results\n", argv[1]);
        return 1;
    }
    std::vector<QByteArray> memoryJsons;
    for (int i = 2; i < argc; ++i) {
        memoryJsons.push_back(ReadAll(argv[i]));
    }
    const auto memory = ReadMemoryJson(memoryJsons);
    std::fputs(FormatTable(BuildReport(*runs, memory)).c_str(), stdout);
    return 0;
}

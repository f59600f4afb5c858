#pragma once

// The list both export benchmarks write: phone-list rows of a busy telephone, the same every run,
// and the order in which the exporter puts the sheet's cells (titles, then column by column).
#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace tapelink::bench {

inline constexpr int kBenchRows = 10000;

inline std::vector<std::string> benchTitles() {
    return {"序号", "文件名", "录音类型", "电话号码", "主/被叫", "开始时间", "录音时长", "文件长度"};
}

inline std::vector<std::vector<std::string>> benchRows() {
    static const std::array<const char*, 6> kinds = {"通话录音",   "新通话录音", "本地录音",
                                                     "新本地录音", "留言录音",   "新留言录音"};
    static const char letters[] = "AIBJCK";
    std::vector<std::vector<std::string>> rows;
    unsigned seed = 12345;
    for (int i = 0; i < kBenchRows; ++i) {
        seed = seed * 1103515245U + 12345U;
        const int kind = static_cast<int>((seed >> 16) % 6);
        char name[16];
        char number[16];
        char start[24];
        std::snprintf(name, sizeof name, "VO%c%05d.WAV", letters[kind], i + 1);
        std::snprintf(number, sizeof number, "1%010u", (seed >> 3) % 1000000000U);
        std::snprintf(start, sizeof start, "20%02u-%02u-%02u %02u:%02u", 10 + seed % 12, 1 + (seed >> 4) % 12,
                      1 + (seed >> 8) % 28, (seed >> 12) % 24, (seed >> 17) % 60);
        const bool local = kind == 2 || kind == 3;
        const unsigned seconds = 1 + (seed >> 9) % 900;
        rows.push_back({std::to_string(i + 1), name, kinds[static_cast<std::size_t>(kind)], local ? "" : number,
                        local ? "" : ((seed >> 5) % 2 != 0 ? "主叫" : "被叫"), start,
                        std::to_string(seconds / 60) + "分" + std::to_string(seconds % 60) + "秒",
                        std::to_string(seconds * 4) + "K"});
    }
    return rows;
}

}  // namespace tapelink::bench

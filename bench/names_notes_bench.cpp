// Searching 200,000 catalogued recordings by contact name and by note or tag, against the sqlite3 shell
// running the equivalent query over the same catalogue file, both timed in this run (best of several).
// The search's own cost is timed inside the process: the recordings' rows are in memory, as after the
// folder scan, and the name or note criterion picks the matching ones and fills their name.
//   bench_names_notes ARCHIVE     (an empty folder; the catalogue is made there, or kept from an earlier run)
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/SyntheticRecord.h"
#include "platform/SqliteCatalogueOpener.h"
#include "search/RecordingAnnotations.h"
#include "search/SearchCriteria.h"

using namespace tapelink;

namespace {

constexpr int kRecordings = 200000;
constexpr int kContacts = 5000;
constexpr int kNumbers = 20000;  // distinct numbers among the recordings; the first kContacts have a contact
constexpr int kRuns = 5;

const char* const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周",
                                 "徐", "孙", "马", "朱", "胡", "郭", "何", "高", "林", "罗"};
const char* const kFirst[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰",
                              "娟", "涛", "明", "超", "秀", "霞", "平", "刚", "桂", "英", "华", "玉"};
const char* const kSecond[] = {"", "兰", "梅", "龙", "波", "辉", "鹏", "飞", "宇", "文"};
const char* const kNotes[] = {"客户投诉 billing problem", "Follow up next week", "报价 VIP customer", "送货地址变更",
                              "wrong number"};
const char* const kTags[] = {"重要", "回访", "VIP", "Sales", "投诉"};

std::string numberOf(int n) {
    return std::to_string(13800000000LL + n);
}

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

bool fill(const std::string& archive) {
    {
        auto catalogue = SqliteCatalogueOpener().open(archive, CatalogueAccess::ReadWrite).catalogue;
        if (!catalogue) return false;
        CatalogueChanges changes;
        for (int i = 0; i < kRecordings; ++i) {
            changes.upserts.push_back(syntheticRecord(i, 'Z', numberOf((i * 7919) % kNumbers), "2103040506"));
        }
        if (catalogue->apply(changes) != CatalogueStatus::Ok) return false;
    }
    // Notes on one recording in four, tags on one in three, contacts: straight into the tables, in one go.
    sqlite3* db = nullptr;
    if (sqlite3_open((archive + "/.tapelink/catalogue.sqlite").c_str(), &db) != SQLITE_OK) return false;
    std::string sql = "BEGIN;";
    for (int i = 0; i < kRecordings; ++i) {
        if (i % 4 == 0)
            sql += "INSERT INTO recording_notes VALUES(" + std::to_string(i + 1) + ",'" + kNotes[i % 5] + "');";
        if (i % 3 == 0) {
            sql += "INSERT INTO recording_tags VALUES(" + std::to_string(i + 1) + ",'" + kTags[i % 5] + "',0);";
        }
    }
    for (int c = 0; c < kContacts; ++c) {
        const std::string name = std::string(kSurnames[c % 20]) + kFirst[(c / 20) % 25] + kSecond[(c / 500) % 10];
        sql += "INSERT INTO contacts(id, name) VALUES(" + std::to_string(c + 1) + ",'" + name + "');";
        sql += "INSERT INTO contact_numbers VALUES(" + std::to_string(c + 1) + ",'" + numberOf(c) + "','" +
               numberOf(c) + "');";
    }
    sql += "COMMIT;";
    const bool done = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return done;
}

std::vector<Contact> contactsOf(const std::string& archive) {
    std::vector<Contact> contacts;
    sqlite3* db = nullptr;
    sqlite3_open_v2((archive + "/.tapelink/catalogue.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT c.name, n.number FROM contacts c JOIN contact_numbers n ON n.contact_id = c.id", -1,
                       &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        contacts.push_back({0,
                            reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)),
                            {reinterpret_cast<const char*>(sqlite3_column_text(statement, 1))},
                            ""});
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return contacts;
}

// The rows that pass, with their name, as the search fills them.
double timeSearch(const CatalogueOpening& catalogue, const ContactDirectory& contacts,
                  const std::vector<RecordingEntry>& entries, const std::string& name, const std::string& note,
                  std::size_t& found) {
    const auto start = std::chrono::steady_clock::now();
    RecordingAnnotations annotations(contacts, catalogue.catalogue.get(), catalogue.notes.get());
    std::vector<RowAnnotation> shown;
    for (const RecordingEntry& entry : entries) {
        if (!name.empty() && !annotations.nameContains(entry.phoneNumber, name)) continue;
        if (!note.empty() && annotations.filesWithText(note).count(entry.fileName) == 0) continue;
        shown.push_back({annotations.nameFor(entry.phoneNumber), {}});
    }
    found = shown.size();
    return msSince(start);
}

double timeShell(const std::string& archive, const std::string& query) {
    const std::string command =
        "sqlite3 -readonly '" + archive + "/.tapelink/catalogue.sqlite' \"" + query + "\" >/dev/null";
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) return -1;
    return msSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_names_notes ARCHIVE\n");
        return 2;
    }
    const std::string archive = argv[1];
    // A catalogue left by an earlier run is used as it is.
    const bool filled = std::filesystem::exists(archive + "/.tapelink/catalogue.sqlite");
    if (!filled && !fill(archive)) {
        std::fprintf(stderr, "bench_names_notes: could not fill the catalogue in %s\n", archive.c_str());
        return 1;
    }
    const CatalogueOpening opening = SqliteCatalogueOpener().open(archive, CatalogueAccess::ReadOnly);
    std::vector<CatalogueRecord> records;
    if (!opening.catalogue || opening.catalogue->liveRecords(records) != CatalogueStatus::Ok) return 1;
    std::vector<RecordingEntry> entries;
    for (const CatalogueRecord& record : records) {
        entries.push_back({record.size, record.fileName, record.direction, record.phoneNumber, record.startKey, "/"});
    }
    const ContactDirectory contacts(contactsOf(archive));

    struct Case {
        const char* what;
        std::string name;
        std::string note;
        std::string query;
    };
    const Case cases[] = {
        {"name 张", "张", "",
         "SELECT r.file_name, c.name FROM recordings r JOIN contact_numbers n ON n.digits = r.phone_number "
         "JOIN contacts c ON c.id = n.contact_id WHERE r.state <> 2 AND instr(c.name, '张') > 0"},
        {"note vip", "", "vip",
         "SELECT r.file_name FROM recording_notes n JOIN recordings r ON r.id = n.recording_id WHERE r.state <> 2 "
         "AND instr(lower(n.note), 'vip') > 0 UNION SELECT r.file_name FROM recording_tags t JOIN recordings r ON "
         "r.id = t.recording_id WHERE r.state <> 2 AND instr(lower(t.tag), 'vip') > 0"},
    };
    for (const Case& c : cases) {
        double ours = 1e9;
        double shell = 1e9;
        std::size_t found = 0;
        // Taking turns, so that both see the same load on the machine.
        for (int run = 0; run < kRuns; ++run) {
            ours = std::min(ours, timeSearch(opening, contacts, entries, c.name, c.note, found));
            shell = std::min(shell, timeShell(archive, c.query));
        }
        std::printf(
            "names and notes: %d recordings, %s: %zu found in %.1f ms (target < 200), sqlite3 shell %.1f ms, "
            "ratio %.2f\n",
            kRecordings, c.what, found, ours, shell, ours / shell);
    }
    return 0;
}

// The team archive on the server of scripts/pg-server.sh (PGHOST, PGPORT, PGUSER as its administrator):
// publishing 5,000 small recordings of an archive folder through the publisher against psql's \copy of the same rows
// and bytes, the team search over 1,000,000 rows, as a person granted the desk, against the same SQL through psql, and
// the marks of a 5,000-row telephone list (which of its recordings the server holds), as the desk, against psql. Usage:
// bench_team [RECORDINGS [ROWS]]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "catalogue/CatalogueSession.h"
#include "common/Sha256.h"
#include "platform/PgTeamAdmin.h"
#include "platform/PgTeamArchive.h"
#include "platform/SqliteCatalogueOpener.h"
#include "search/SearchCriteria.h"
#include "team/TeamPublisher.h"

using namespace tapelink;
using Clock = std::chrono::steady_clock;

namespace {

// Each timing is the best of this many runs, here and in psql: the machine is shared, and a few milliseconds
// are easily lost to another program.
constexpr int kRuns = 15;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string output(const std::string& command) {
    std::string text;
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    std::size_t got = 0;
    while (pipe != nullptr && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
    if (pipe != nullptr) ::pclose(pipe);
    return text;
}

// The statement prepared in psql and executed with these parameters, as that role: the best of
// kRuns of the milliseconds psql's \timing gave.
double psqlMilliseconds(const std::string& database, const std::string& role, const std::string& prepare,
                        const std::vector<std::string>& values) {
    const std::string script = "/tmp/" + database + ".sql";
    std::ofstream sql(script);
    sql << "SET search_path TO tapelink, pg_catalog;\n" << prepare << ";\n\\timing on\n";
    std::string arguments;
    for (const std::string& value : values) arguments += (arguments.empty() ? "'" : ", '") + value + "'";
    for (int run = 0; run < kRuns; ++run) sql << "EXECUTE s(" << arguments << ");\n";
    sql.close();
    const std::string times = output("psql -X -q -o /dev/null -d " + database + " -U " + role + " -f " + script +
                                     " 2>&1 | sed -n 's/^Time: \\([0-9.]*\\) ms.*/\\1/p'");
    std::remove(script.c_str());
    double best = 1e9;
    std::size_t start = 0;
    while (start < times.size()) {
        const std::size_t end = times.find('\n', start);
        best = std::min(best, std::atof(times.substr(start, end - start).c_str()));
        start = end == std::string::npos ? times.size() : end + 1;
    }
    return best;
}

std::string hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string text;
    for (const unsigned char c : bytes) {
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text;
}

TeamRecording recording(const std::string& desk, int index, std::string& audio) {
    std::mt19937 random(static_cast<unsigned>(index));
    audio.assign(8192, '\0');
    for (char& c : audio) c = static_cast<char>(random());
    TeamRecording r{desk,
                    "SN",
                    "VOA" + std::to_string(10000 + index) + ".WAV",
                    "138" + std::to_string(10000000 + index),
                    'Z',
                    "A",
                    "2406011200",
                    2,
                    audio.size(),
                    ""};
    Sha256 digest;
    digest.update(audio.data(), audio.size());
    r.sha256 = digest.hexDigest();
    return r;
}

// An archive folder of count recordings, catalogued as uploaded.
void makeArchive(const std::string& folder, int count) {
    std::filesystem::create_directories(folder);
    SqliteCatalogueOpener opener;
    CatalogueSession archive(opener, folder);
    archive.open(CatalogueAccess::ReadWrite);
    CatalogueChanges changes;
    for (int i = 0; i < count; ++i) {
        std::string audio;
        const TeamRecording r = recording("front", i, audio);
        std::ofstream(folder + r.name, std::ios::binary) << audio;
        CatalogueRecord record;
        record.fileName = r.name;
        record.size = r.size;
        record.sha256 = r.sha256;
        record.hasInfo = true;
        record.direction = r.direction;
        record.phoneNumber = r.number;
        record.startKey = r.startKey;
        record.kind = r.kind;
        record.archivedBy = "bench";
        record.phoneSerial = r.phoneSerial;
        changes.upserts.push_back(std::move(record));
    }
    if (archive.catalogue() == nullptr || archive.catalogue()->apply(changes) != CatalogueStatus::Ok) {
        std::fprintf(stderr, "the archive's catalogue could not be made in %s\n", folder.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int rows = argc > 2 ? std::atoi(argv[2]) : 1000000;
    const std::string database = "tapelink_bench_" + std::to_string(::getpid());
    PgConnection server("dbname=postgres");
    if (server.status() != TeamStatus::Ok || !server.exec("CREATE DATABASE " + database).ok()) {
        std::fprintf(stderr, "no PostgreSQL server: source scripts/pg-server.sh and run start_pg_server\n");
        return 1;
    }
    {
        PgConnection admin("dbname=" + database);
        const PgTeamAdmin team(admin);
        team.init();
        team.addDesk("front", database + "_front");
        team.addDesk("copied", database + "_front");
        team.addUser(database + "_reader");
        team.grant(database + "_reader", "front", "hear");

        // Publishing as a desk does it, as the desk's own role: the publisher reads each archived file, checks
        // it against its digest, sends it in its batches and confirms each batch in the archive's catalogue.
        const std::string folder = "/tmp/" + database + "-archive/";
        makeArchive(folder, count);
        SqliteCatalogueOpener opener;
        CatalogueSession archive(opener, folder);
        archive.open(CatalogueAccess::ReadWrite);
        PgTeamArchive desk("dbname=" + database + " user=" + database + "_front");
        const std::string copyFile = "/tmp/" + database + ".copy";
        std::ofstream copy(copyFile);
        auto start = Clock::now();
        const PublishReport report = TeamPublisher(archive, desk, "front").publish();
        const double published = secondsSince(start);
        if (report.published != static_cast<std::size_t>(count)) {
            std::fprintf(stderr, "published %zu of %d: %s\n", report.published, count,
                         desk.connection().lastError().c_str());
        }
        std::filesystem::remove_all(folder);
        for (int i = 0; i < count; ++i) {
            std::string audio;
            const TeamRecording r = recording("copied", i, audio);
            copy << r.desk << '\t' << r.phoneSerial << '\t' << r.name << '\t' << r.number << "\t90\tA\t" << r.startKey
                 << "\t2\t" << r.size << '\t' << r.sha256 << "\t\\\\x" << hex(audio) << '\n';
        }
        copy.close();
        start = Clock::now();
        // The same rows and bytes in two statements: rows into a scratch table, then into both tables.
        const int copyStatus = std::system(
            ("psql -X -q -d " + database +
             " -c 'CREATE TEMP TABLE c(desk text, phone_serial text, name text, number text, direction int, kind "
             "text, start_key text, duration int, size bigint, sha256 text, bytes bytea)' -c \"\\copy c FROM '" +
             copyFile +
             "'\" -c 'INSERT INTO tapelink.recordings(desk, phone_serial, name, number, direction, kind, "
             "start_key, duration, size, sha256) SELECT desk, phone_serial, name, number, direction, kind, "
             "start_key, duration, size, sha256 FROM c' -c 'INSERT INTO tapelink.audio SELECT desk, sha256, "
             "bytes FROM c'")
                .c_str());
        const double copied = secondsSince(start);
        if (copyStatus != 0) std::fprintf(stderr, "psql \\copy failed\n");
        std::remove(copyFile.c_str());
        std::printf("team publish: %d recordings %.2f s, psql \\copy %.2f s, ratio %.2f\n", count, published, copied,
                    published / copied);

        // A large archive: rows made by the server, a note on every hundredth.
        admin.exec(
            "INSERT INTO recordings(desk, phone_serial, name, number, direction, kind, start_key, duration, "
            "size, sha256) SELECT 'front', 'SN', 'VOA' || i || '.WAV', '139' || lpad((i::bigint * 7919 % "
            "100000000)::text, 8, '0'), CASE WHEN i % 2 = 0 THEN 90 ELSE 66 END, 'A', to_char(timestamp "
            "'2015-01-01' + i * interval '3 minutes', 'YYMMDDHH24MI'), 60, 240512, md5(i::text) || 'x' FROM "
            "generate_series(1, " +
            std::to_string(rows) + ") i");
        admin.exec(
            "INSERT INTO notes(desk, sha256, note) SELECT desk, sha256, '回电 客户 ' || id FROM recordings "
            "WHERE id % 100 = 0");
        // A team phonebook of 5,000 contacts, each with the number of one recording.
        admin.exec(
            "INSERT INTO phonebook(name, numbers) SELECT '客户' || i, ARRAY['139' || lpad((i::bigint * 7919 % "
            "100000000)::text, 8, '0')] FROM generate_series(1, 5000) i");
        admin.exec("ANALYZE");
    }
    PgTeamArchive reader("dbname=" + database + " user=" + database + "_reader");
    struct Case {
        const char* what;
        TeamSearchCriteria criteria;
    };
    TeamSearchCriteria base;
    base.criteria.from = kEarliestSearchDate;
    base.criteria.to = kLatestSearchDate;
    TeamSearchCriteria number = base;
    number.criteria.number = "80079";
    TeamSearchCriteria range = base;
    range.criteria.from = {2016, 1, 1, 0, 0, 0};
    range.criteria.to = {2016, 1, 7, 0, 0, 0};
    TeamSearchCriteria named = base;
    named.criteria.number = "客户1234";
    TeamSearchCriteria noted = base;
    noted.criteria.noteText = "客户 5000";
    const Case cases[] = {{"number", number}, {"name", named}, {"date range", range}, {"note", noted}};
    for (const Case& c : cases) {
        std::vector<TeamRecording> found;
        double best = 1e9;
        for (int run = 0; run < kRuns; ++run) {
            const auto start = Clock::now();
            reader.search(c.criteria, found);
            best = std::min(best, secondsSince(start) * 1000);
        }
        const SearchCriteria& k = c.criteria.criteria;
        const double baseline = psqlMilliseconds(
            database, database + "_reader",
            "PREPARE s(text, text, text, text, text, text, text, text, bigint) AS " + std::string(teamSearchSql()),
            {startBound(k.from), endBound(k.to), "", k.number, isNameText(k.number) ? k.number : "", "", "", k.noteText,
             "10000"});
        std::printf("team search by %s over %d rows: %zu found, %.1f ms, psql %.1f ms, ratio %.2f\n", c.what, rows,
                    found.size(), best, baseline, best / baseline);
    }
    // Marks: 5,000 digests, four in five held by the server, asked as the desk in one statement.
    {
        PgTeamArchive desk("dbname=" + database + " user=" + database + "_front");
        PgConnection admin("dbname=" + database);
        const PgResult stored =
            admin.exec("SELECT sha256 FROM tapelink.recordings WHERE desk = 'front' ORDER BY random() LIMIT 4000");
        std::vector<std::string> digests;
        for (int i = 0; i < stored.rows(); ++i) digests.push_back(stored.text(i, 0));
        for (int i = 0; i < 1000; ++i) digests.push_back(std::string(60, 'f') + std::to_string(1000 + i));
        std::set<std::string> held;
        double best = 1e9;
        for (int run = 0; run < kRuns; ++run) {
            const auto start = Clock::now();
            desk.held("front", digests, held);
            best = std::min(best, secondsSince(start) * 1000);
        }
        std::string array = "{";
        for (const std::string& digest : digests) array += (array.size() == 1 ? "" : ",") + digest;
        array += '}';
        const double baseline =
            psqlMilliseconds(database, database + "_front", "PREPARE s(text, text[]) AS " + std::string(teamHeldSql()),
                             {"front", array});
        std::printf(
            "team marks for a 5000-row telephone list over %d rows: %zu held, %.1f ms, psql %.1f ms, ratio "
            "%.2f\n",
            rows, held.size(), best, baseline, best / baseline);
    }
    PgConnection cleanup("dbname=postgres");
    cleanup.exec("DROP DATABASE " + database + " WITH (FORCE)");
    for (const char* role : {"_front", "_reader"}) cleanup.exec("DROP ROLE \"" + database + role + "\"");
    return 0;
}

#include "platform/PgTeamArchive.h"

#include <array>
#include <deque>
#include <nlohmann/json.hpp>
#include <set>
#include <utility>

#include "recording/CallDirection.h"
#include "search/SearchCriteria.h"

namespace tapelink {

namespace {

std::string tagsJson(const std::vector<std::string>& tags) {
    return nlohmann::json(tags).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// Which kind letters (the file name's third character) a kind choice takes, as a LIKE pattern's class.
std::string kindLetters(KindChoice kind) {
    switch (kind) {
        case KindChoice::All:
            return "";
        case KindChoice::Call:
            return "AI";
        case KindChoice::Message:
            return "CK";
        case KindChoice::Local:
            return "BJ";
    }
    return "";
}

std::string sideDirection(SideChoice side) {
    if (side == SideChoice::All) return "";
    return std::to_string(static_cast<int>(side == SideChoice::Caller ? CallDirection::Caller : CallDirection::Called));
}

// Each published column's cast, in the order publishBatch sends them.
constexpr std::array<const char*, 14> kPublishedColumns = {
    "", "", "", "", "::integer", "", "", "::integer", "::bigint", "", "::bytea", "", "::json", "::boolean"};

// The server's search keeps to the desks the person may hear and uses the indexes that row-level security keeps
// out of a member's own query.
constexpr const char* kSearch =
    "SELECT desk, phone_serial, name, number, direction, kind, start_key, duration, size, sha256 "
    "FROM search_recordings($1, $2, $3, $4, $5, $6, $7, $8, $9)";

// One look into the (desk, sha256) index for each digest of the list, whatever the planner would guess: with
// the list's length known it may choose to read and hash the desk's every row, each through the row-level
// policy, which took twice as long over 100,000 rows.
constexpr const char* kHeld =
    "SELECT r.sha256 FROM unnest($2::text[]) AS wanted(sha256) CROSS JOIN LATERAL "
    "(SELECT r.sha256 FROM recordings r WHERE r.desk = $1 AND r.sha256 = wanted.sha256 LIMIT 1) r";

// The class of a row of figures whose second and third columns are the kind letter and the direction.
bool callClassOfRow(const PgResult& rows, int row, CallClass& out) {
    const std::string kind = rows.text(row, 1);
    return kind.size() == 1 && callClassOf(kind[0], std::stoi(rows.text(row, 2)), out);
}

}  // namespace

const char* teamSearchSql() {
    return kSearch;
}

const char* teamHeldSql() {
    return kHeld;
}

TeamStatus PgTeamArchive::inTransaction(TeamStatus status) {
    if (status != TeamStatus::Ok) {
        m_connection.rollback();
        return status;
    }
    return m_connection.commit();
}

TeamStatus PgTeamArchive::publish(const TeamRecording& r, const std::string& audio, const RecordingNote& note) {
    return publishBatch({{r, audio, note}});
}

TeamStatus PgTeamArchive::publishBatch(const std::vector<TeamPublication>& batch) {
    // One statement, so one transaction and one round trip for the whole batch, the bytes sent as they are:
    // content the desk published before inserts no row and so no bytes and no note, and counts as published.
    std::string rows;
    std::deque<std::string> texts;  // the parameters made into text, where the pointers below stay valid
    std::vector<const char*> values;
    std::vector<int> lengths;
    std::vector<int> formats;
    const auto add = [&](const std::string& value, bool binary = false) {
        values.push_back(value.c_str());
        lengths.push_back(static_cast<int>(value.size()));
        formats.push_back(binary ? 1 : 0);
    };
    const auto addText = [&](std::string value) { add(texts.emplace_back(std::move(value))); };
    std::set<std::pair<std::string, std::string>> seen;
    for (const TeamPublication& item : batch) {
        const TeamRecording& r = item.recording;
        // The same content twice in one statement would insert its bytes twice.
        if (!seen.emplace(r.desk, r.sha256).second) continue;
        const std::size_t first = values.size() + 1;
        rows += rows.empty() ? "(" : ", (";
        for (std::size_t i = 0; i < kPublishedColumns.size(); ++i) {
            rows += (i == 0 ? "$" : ", $") + std::to_string(first + i) + kPublishedColumns[i];
        }
        rows += ')';
        add(r.desk);
        add(r.phoneSerial);
        add(r.name);
        add(r.number);
        addText(std::to_string(r.direction));
        add(r.kind);
        add(r.startKey);
        addText(std::to_string(r.durationSeconds));
        addText(std::to_string(r.size));
        add(r.sha256);
        add(item.audio, true);
        add(item.note.text);
        addText(tagsJson(item.note.tags));
        addText(item.note.empty() ? "false" : "true");
    }
    if (values.empty()) return TeamStatus::Ok;
    const std::string sql =
        "WITH incoming(desk, phone_serial, name, number, direction, kind, start_key, duration, size, sha256, "
        "bytes, note, tags, noted) AS (VALUES " +
        rows +
        "), added AS (INSERT INTO recordings(desk, phone_serial, name, number, direction, kind, start_key, "
        "duration, size, sha256) SELECT desk, phone_serial, name, number, direction, kind, start_key, duration, "
        "size, sha256 FROM incoming ON CONFLICT (desk, sha256) DO NOTHING RETURNING desk, sha256), "
        "bytes AS (INSERT INTO audio(desk, sha256, bytes) "
        "SELECT desk, sha256, i.bytes FROM incoming i JOIN added USING (desk, sha256)) "
        "INSERT INTO notes(desk, sha256, note, tags) "
        "SELECT desk, sha256, i.note, ARRAY(SELECT json_array_elements_text(i.tags)) "
        "FROM incoming i JOIN added USING (desk, sha256) WHERE i.noted";
    return m_connection
        .adopt(PQexecParams(m_connection.get(), sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(),
                            lengths.data(), formats.data(), 0))
        .status();
}

TeamStatus PgTeamArchive::confirmed(const std::string& desk, std::set<std::string>& sha256s) {
    sha256s.clear();
    const PgResult rows = m_connection.exec("SELECT sha256 FROM recordings WHERE desk = $1", {{desk}});
    for (int i = 0; i < rows.rows(); ++i) sha256s.insert(rows.text(i, 0));
    return rows.status();
}

TeamStatus PgTeamArchive::held(const std::string& desk, const std::vector<std::string>& sha256s,
                               std::set<std::string>& out) {
    out.clear();
    if (sha256s.empty()) return TeamStatus::Ok;
    // One array parameter, each element quoted: the digests come from a catalogue on a disk.
    std::string array = "{";
    for (const std::string& sha256 : sha256s) {
        array += array.size() == 1 ? "\"" : ",\"";
        for (const char c : sha256) {
            if (c == '"' || c == '\\') array += '\\';
            array += c;
        }
        array += '"';
    }
    array += '}';
    const PgResult rows = m_connection.exec(kHeld, {{desk}, {array}});
    for (int i = 0; i < rows.rows(); ++i) out.insert(rows.text(i, 0));
    return rows.status();
}

TeamStatus PgTeamArchive::search(const TeamSearchCriteria& wanted, std::vector<TeamRecording>& out) {
    out.clear();
    const SearchCriteria& c = wanted.criteria;
    // A name is looked for in the numbers too, as the archive search does.
    const PgResult rows = m_connection.exec(kSearch, {{startBound(c.from)},
                                                      {endBound(c.to)},
                                                      {wanted.desk},
                                                      {c.number},
                                                      {isNameText(c.number) ? c.number : std::string()},
                                                      {sideDirection(c.side)},
                                                      {kindLetters(c.kind)},
                                                      {c.noteText},
                                                      {std::to_string(wanted.limit)}});
    out.reserve(static_cast<std::size_t>(rows.rows()));
    for (int i = 0; i < rows.rows(); ++i) {
        TeamRecording r;
        r.desk = rows.text(i, 0);
        r.phoneSerial = rows.text(i, 1);
        r.name = rows.text(i, 2);
        r.number = rows.text(i, 3);
        r.direction = std::stoi(rows.text(i, 4));
        r.kind = rows.text(i, 5);
        r.startKey = rows.text(i, 6);
        r.durationSeconds = std::stoll(rows.text(i, 7));
        r.size = std::stoull(rows.text(i, 8));
        r.sha256 = rows.text(i, 9);
        out.push_back(std::move(r));
    }
    return rows.status();
}

TeamStatus PgTeamArchive::fetchAudio(const std::string& desk, const std::string& sha256, std::string& audio) {
    audio.clear();
    // Raw bytes rather than bytea's hex text: half the traffic, nothing to decode.
    PGresult* result = PQexecParams(m_connection.get(), "SELECT bytes FROM audio WHERE desk = $1 AND sha256 = $2", 2,
                                    nullptr, std::array{desk.c_str(), sha256.c_str()}.data(), nullptr, nullptr, 1);
    const PgResult rows = m_connection.adopt(result);
    if (!rows.ok()) return rows.status();
    // None the person may hear: the rules hide it, or it is not there.
    if (rows.rows() == 0) return TeamStatus::Refused;
    audio = rows.text(0, 0);
    return TeamStatus::Ok;
}

TeamStatus PgTeamArchive::noteOf(const std::string& desk, const std::string& sha256, TeamNote& out) {
    out = {};
    const PgResult rows = m_connection.exec(
        "SELECT note, array_to_json(tags)::text, edited_by, to_char(edited_at AT TIME ZONE 'UTC', "
        "'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"') FROM notes WHERE desk = $1 AND sha256 = $2",
        {{desk}, {sha256}});
    if (!rows.ok() || rows.rows() == 0) return rows.status();
    out.note.text = rows.text(0, 0);
    const nlohmann::json tags = nlohmann::json::parse(rows.text(0, 1), nullptr, false);
    if (tags.is_array()) {
        for (const auto& tag : tags) {
            if (tag.is_string()) out.note.tags.push_back(tag.get<std::string>());
        }
    }
    out.editedBy = rows.text(0, 2);
    out.editedAt = rows.text(0, 3);
    return TeamStatus::Ok;
}

TeamStatus PgTeamArchive::setNote(const std::string& desk, const std::string& sha256, const RecordingNote& note) {
    const TeamStatus begun = m_connection.begin();
    if (begun != TeamStatus::Ok) return begun;
    // The recording must be one the person may hear; then the note's own rules decide.
    const PgResult seen =
        m_connection.exec("SELECT 1 FROM recordings WHERE desk = $1 AND sha256 = $2", {{desk}, {sha256}});
    if (!seen.ok()) return inTransaction(seen.status());
    if (seen.rows() == 0) return inTransaction(TeamStatus::Refused);
    const PgResult existing =
        m_connection.exec("SELECT 1 FROM notes WHERE desk = $1 AND sha256 = $2", {{desk}, {sha256}});
    if (!existing.ok()) return inTransaction(existing.status());
    if (existing.rows() == 0 && note.empty()) return inTransaction(TeamStatus::Ok);
    if (existing.rows() == 0) {
        // A new note: the insert's rule lets it in or refuses it.
        const PgResult inserted = m_connection.exec(
            "INSERT INTO notes(desk, sha256, note, tags) "
            "VALUES ($1, $2, $3, ARRAY(SELECT json_array_elements_text($4::json)))",
            {{desk}, {sha256}, {note.text}, {tagsJson(note.tags)}});
        return inTransaction(inserted.status());
    }
    // A note the person sees but may not change is hidden from his UPDATE and DELETE: 0 rows is a refusal.
    const PgResult changed =
        note.empty() ? m_connection.exec("DELETE FROM notes WHERE desk = $1 AND sha256 = $2", {{desk}, {sha256}})
                     : m_connection.exec(
                           "UPDATE notes SET note = $3, tags = ARRAY(SELECT json_array_elements_text($4::json)), "
                           "edited_by = current_user, edited_at = now() WHERE desk = $1 AND sha256 = $2",
                           {{desk}, {sha256}, {note.text}, {tagsJson(note.tags)}});
    if (!changed.ok()) return inTransaction(changed.status());
    return inTransaction(changed.affected() == 1 ? TeamStatus::Ok : TeamStatus::Refused);
}

TeamStatus PgTeamArchive::remove(const std::string& desk, const std::string& sha256) {
    const PgResult removed =
        m_connection.exec("DELETE FROM recordings WHERE desk = $1 AND sha256 = $2", {{desk}, {sha256}});
    if (!removed.ok()) return removed.status();
    // The rules hide what the person may not delete: nothing deleted is a refusal, never done.
    return removed.affected() == 1 ? TeamStatus::Ok : TeamStatus::Refused;
}

TeamStatus PgTeamArchive::callFigures(const std::string& desk, const std::string& fromKey, const std::string& toKey,
                                      CallFigureRows& out) {
    out = {};
    // Counted by the server, over what its rules let this person hear; folded into classes here, where the
    // kind letters are known.
    const std::vector<PgParam> params{{fromKey}, {toKey}, {desk}};
    const char* range = " FROM recordings WHERE start_key >= $1 AND start_key <= $2 AND ($3 = '' OR desk = $3) ";
    const PgResult days =
        m_connection.exec(std::string("SELECT substr(start_key, 1, 6), kind, direction, count(*), sum(duration)") +
                              range + "GROUP BY 1, 2, 3",
                          params);
    if (!days.ok()) return days.status();
    const PgResult numbers = m_connection.exec(
        std::string("SELECT number, kind, direction, count(*), sum(duration)") + range + "GROUP BY 1, 2, 3", params);
    if (!numbers.ok()) return numbers.status();
    CallFigureTally tally;
    for (int i = 0; i < days.rows(); ++i) {
        CallClass callClass{};
        if (!callClassOfRow(days, i, callClass)) continue;
        tally.addDay(days.text(i, 0), callClass, std::stoll(days.text(i, 3)), std::stoll(days.text(i, 4)));
    }
    for (int i = 0; i < numbers.rows(); ++i) {
        CallClass callClass{};
        if (!callClassOfRow(numbers, i, callClass)) continue;
        tally.addNumber(numbers.text(i, 0), callClass, std::stoll(numbers.text(i, 3)), std::stoll(numbers.text(i, 4)));
    }
    out = tally.rows();
    return TeamStatus::Ok;
}

}  // namespace tapelink

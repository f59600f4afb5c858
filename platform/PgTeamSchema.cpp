#include "platform/PgTeamSchema.h"

#include <array>
#include <string>

#include "platform/PgTeamPhonebookSchema.h"
#include "platform/PgTeamSearchSchema.h"

namespace tapelink {

namespace {

// Step i brings a schema of version i to version i + 1.
constexpr std::array kSteps = {
    R"sql(
    DO $$ BEGIN
        IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'tapelink_member') THEN
            CREATE ROLE tapelink_member NOLOGIN;
        END IF;
    END $$;
    GRANT USAGE ON SCHEMA tapelink TO tapelink_member;
    GRANT SELECT ON schema_version TO tapelink_member;
    CREATE TABLE desks(name text PRIMARY KEY, publisher name NOT NULL);
    CREATE TABLE grants(
        person name NOT NULL,
        desk text NOT NULL REFERENCES desks ON DELETE CASCADE,
        rights text NOT NULL CHECK (rights IN ('hear', 'annotate', 'delete')),
        PRIMARY KEY(person, desk, rights));
    CREATE TABLE recordings(
        id bigserial PRIMARY KEY,
        desk text NOT NULL REFERENCES desks,
        phone_serial text NOT NULL,
        name text NOT NULL,
        number text NOT NULL,
        direction integer NOT NULL,
        kind text NOT NULL,
        start_key text NOT NULL,
        duration integer NOT NULL,
        size bigint NOT NULL,
        sha256 text NOT NULL,
        published_by name NOT NULL DEFAULT current_user,
        published_at timestamptz NOT NULL DEFAULT now(),
        UNIQUE(desk, sha256));
    CREATE TABLE audio(
        desk text NOT NULL,
        sha256 text NOT NULL,
        bytes bytea NOT NULL,
        PRIMARY KEY(desk, sha256),
        FOREIGN KEY(desk, sha256) REFERENCES recordings(desk, sha256) ON DELETE CASCADE);
    CREATE TABLE notes(
        desk text NOT NULL,
        sha256 text NOT NULL,
        note text NOT NULL,
        tags text[] NOT NULL DEFAULT '{}',
        edited_by name NOT NULL DEFAULT current_user,
        edited_at timestamptz NOT NULL DEFAULT now(),
        PRIMARY KEY(desk, sha256),
        FOREIGN KEY(desk, sha256) REFERENCES recordings(desk, sha256) ON DELETE CASCADE);
    CREATE TABLE phonebook(
        id bigserial PRIMARY KEY,
        name text NOT NULL,
        company text NOT NULL DEFAULT '',
        numbers text[] NOT NULL DEFAULT '{}',
        edited_by name NOT NULL DEFAULT current_user,
        edited_at timestamptz NOT NULL DEFAULT now());
    )sql",
    // Access by desk, enforced by the server for every client: row-level security on what a desk publishes.
    // desks_with(): the desks on which the person has the right: hear, annotate, delete, or publish (a desk's
    // own role, which also hears and annotates its desk). The policies take it once per statement, as an
    // InitPlan, rather than once per row: a search over a million rows stays a plain scan.
    R"sql(
    CREATE FUNCTION desks_with(wanted text) RETURNS text[] LANGUAGE sql STABLE AS $$
        SELECT array(SELECT g.desk FROM tapelink.grants g WHERE g.person = current_user AND g.rights = wanted
                     UNION SELECT k.name FROM tapelink.desks k WHERE k.publisher = current_user AND wanted <> 'delete')
    $$;
    GRANT SELECT ON desks TO tapelink_member;
    GRANT SELECT ON grants TO tapelink_member;
    GRANT SELECT, INSERT, DELETE ON recordings, audio TO tapelink_member;
    GRANT SELECT, INSERT, UPDATE, DELETE ON notes, phonebook TO tapelink_member;
    GRANT USAGE ON SEQUENCE recordings_id_seq, phonebook_id_seq TO tapelink_member;
    ALTER TABLE grants ENABLE ROW LEVEL SECURITY;
    ALTER TABLE grants FORCE ROW LEVEL SECURITY;
    CREATE POLICY own_grants ON grants FOR SELECT USING (person = current_user);
    ALTER TABLE recordings ENABLE ROW LEVEL SECURITY;
    ALTER TABLE recordings FORCE ROW LEVEL SECURITY;
    CREATE POLICY hear ON recordings FOR SELECT USING (desk = ANY ((SELECT desks_with('hear'))::text[]));
    CREATE POLICY publish ON recordings FOR INSERT WITH CHECK (desk = ANY ((SELECT desks_with('publish'))::text[]));
    CREATE POLICY remove ON recordings FOR DELETE USING (desk = ANY ((SELECT desks_with('delete'))::text[]));
    ALTER TABLE audio ENABLE ROW LEVEL SECURITY;
    ALTER TABLE audio FORCE ROW LEVEL SECURITY;
    CREATE POLICY hear ON audio FOR SELECT USING (desk = ANY ((SELECT desks_with('hear'))::text[]));
    CREATE POLICY publish ON audio FOR INSERT WITH CHECK (desk = ANY ((SELECT desks_with('publish'))::text[]));
    CREATE POLICY remove ON audio FOR DELETE USING (desk = ANY ((SELECT desks_with('delete'))::text[]));
    ALTER TABLE notes ENABLE ROW LEVEL SECURITY;
    ALTER TABLE notes FORCE ROW LEVEL SECURITY;
    CREATE POLICY hear ON notes FOR SELECT USING (desk = ANY ((SELECT desks_with('hear'))::text[]));
    CREATE POLICY annotate ON notes FOR INSERT WITH CHECK (desk = ANY ((SELECT desks_with('annotate'))::text[]));
    CREATE POLICY reannotate ON notes FOR UPDATE USING (desk = ANY ((SELECT desks_with('annotate'))::text[]));
    CREATE POLICY unannotate ON notes FOR DELETE USING (desk = ANY ((SELECT desks_with('annotate'))::text[]));
    CREATE INDEX recordings_start ON recordings(start_key);
    CREATE INDEX recordings_number ON recordings(number);
    )sql",
    kTeamPhonebookAccessStep,
    kTeamSearchStep,
};
static_assert(kSteps.size() == kTeamSchemaVersion);

}  // namespace

TeamStatus teamSchemaVersion(PgConnection& connection, int& version) {
    version = 0;
    const PgResult exists = connection.exec("SELECT to_regclass('tapelink.schema_version') IS NOT NULL");
    if (!exists.ok()) return exists.status();
    if (exists.text(0, 0) != "t") return TeamStatus::Ok;
    const PgResult read = connection.exec("SELECT coalesce(max(version), 0) FROM schema_version");
    if (!read.ok()) return read.status();
    version = std::stoi(read.text(0, 0));
    return TeamStatus::Ok;
}

TeamStatus migrateTeamSchema(PgConnection& connection, int upTo) {
    TeamStatus status = connection.begin();
    if (status != TeamStatus::Ok) return status;
    const auto step = [&](const std::string& sql) {
        if (status == TeamStatus::Ok) status = connection.exec(sql).status();
    };
    step("CREATE SCHEMA IF NOT EXISTS tapelink");
    step("CREATE TABLE IF NOT EXISTS schema_version(version integer NOT NULL)");
    // A second administrator migrating at once waits here, then finds the work done.
    step("LOCK TABLE schema_version IN EXCLUSIVE MODE");
    int version = 0;
    if (status == TeamStatus::Ok) status = teamSchemaVersion(connection, version);
    for (int next = version; status == TeamStatus::Ok && next < upTo && next < kTeamSchemaVersion; ++next) {
        step(kSteps[static_cast<std::size_t>(next)]);
        step("DELETE FROM schema_version");
        step("INSERT INTO schema_version VALUES (" + std::to_string(next + 1) + ")");
    }
    if (status != TeamStatus::Ok) {
        connection.rollback();
        return status;
    }
    return connection.commit();
}

}  // namespace tapelink

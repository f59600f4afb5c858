#pragma once

namespace tapelink {

// The schema step that moves the team search into the server. Row-level security keeps the trigram and btree
// indexes out of a member's own query (LIKE is not leakproof, so the policy filters first and every row is
// read), so the search runs as tapelink_search, a role of no person, and keeps to the desks granted hear to
// the person connected (session_user), whom a SET ROLE does not change.
inline constexpr const char* kTeamSearchStep = R"sql(
    DO $$ BEGIN
        IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'tapelink_search') THEN
            CREATE ROLE tapelink_search NOLOGIN;
        END IF;
    END $$;
    CREATE EXTENSION IF NOT EXISTS pg_trgm;
    -- A note's text and its tags as one lower-case text: the note search's index. The unit separator keeps a
    -- tag from running into the next.
    CREATE FUNCTION note_text(note text, tags text[]) RETURNS text LANGUAGE sql IMMUTABLE PARALLEL SAFE
        RETURN lower(note || chr(31) || array_to_string(tags, chr(31)));
    -- A text to find inside others with LIKE, its own % _ \ taken literally.
    CREATE FUNCTION like_part(part text) RETURNS text LANGUAGE sql IMMUTABLE PARALLEL SAFE
        RETURN '%' || replace(replace(replace(part, '\', '\\'), '%', '\%'), '_', '\_') || '%';
    DO $$
    DECLARE
        trgm text := (SELECT n.nspname FROM pg_extension e JOIN pg_namespace n ON n.oid = e.extnamespace
                      WHERE e.extname = 'pg_trgm');
    BEGIN
        EXECUTE format('CREATE INDEX recordings_number_trigrams ON tapelink.recordings USING gin (number %I.gin_trgm_ops)', trgm);
        EXECUTE format('CREATE INDEX notes_text_trigrams ON tapelink.notes USING gin (tapelink.note_text(note, tags) %I.gin_trgm_ops)', trgm);
    END $$;
    GRANT USAGE ON SCHEMA tapelink TO tapelink_search;
    GRANT SELECT ON desks, grants, recordings, notes, phonebook TO tapelink_search;
    CREATE POLICY search ON grants FOR SELECT TO tapelink_search USING (true);
    CREATE POLICY search ON recordings FOR SELECT TO tapelink_search USING (true);
    CREATE POLICY search ON notes FOR SELECT TO tapelink_search USING (true);
    -- first_key..last_key: start keys; only_desk, number_part, side (a direction), kind_letters, note_part: empty
    -- leaves the criterion out; name_part: a contact's name whose numbers match too. Newest first.
    CREATE FUNCTION search_recordings(first_key text, last_key text, only_desk text, number_part text,
                                      name_part text, side text, kind_letters text, note_part text, max_rows bigint)
        RETURNS TABLE(desk text, phone_serial text, name text, number text, direction integer, kind text,
                      start_key text, duration integer, size bigint, sha256 text)
        LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = tapelink, pg_catalog, pg_temp AS $$
    #variable_conflict use_column
    DECLARE
        heard text[] := ARRAY(
            SELECT g.desk FROM tapelink.grants g WHERE g.person = session_user AND g.rights = 'hear'
            UNION SELECT k.name FROM tapelink.desks k WHERE k.publisher = session_user);
        numbers text[] := '{}';
        query text := 'SELECT r.desk, r.phone_serial, r.name, r.number, r.direction, r.kind, r.start_key, '
                      'r.duration, r.size, r.sha256 FROM tapelink.recordings r '
                      'WHERE r.desk = ANY ($1) AND r.start_key >= $2 AND r.start_key <= $3';
    BEGIN
        -- Whom row-level security does not hold (a superuser, BYPASSRLS) saw every desk before and still does.
        IF (SELECT a.rolsuper OR a.rolbypassrls FROM pg_roles a WHERE a.rolname = session_user) THEN
            heard := ARRAY(SELECT k.name FROM tapelink.desks k);
        END IF;
        IF only_desk <> '' THEN query := query || ' AND r.desk = $4'; END IF;
        IF name_part <> '' THEN
            numbers := ARRAY(SELECT DISTINCT unnest(p.numbers) FROM tapelink.phonebook p
                             WHERE strpos(lower(p.name), lower(name_part)) > 0);
        END IF;
        IF number_part <> '' AND cardinality(numbers) > 0 THEN
            query := query || ' AND (r.number LIKE tapelink.like_part($5) OR r.number = ANY ($6))';
        ELSIF number_part <> '' THEN
            query := query || ' AND r.number LIKE tapelink.like_part($5)';
        END IF;
        IF side <> '' THEN query := query || ' AND r.direction = $7::integer'; END IF;
        IF kind_letters <> '' THEN query := query || ' AND strpos($8, substr(r.name, 3, 1)) > 0'; END IF;
        IF note_part <> '' THEN
            query := query || ' AND (r.desk, r.sha256) IN (SELECT n.desk, n.sha256 FROM tapelink.notes n '
                              'WHERE tapelink.note_text(n.note, n.tags) LIKE tapelink.like_part(lower($9)))';
        END IF;
        RETURN QUERY EXECUTE query || ' ORDER BY r.start_key DESC, r.id DESC LIMIT $10'
            USING heard, first_key, last_key, only_desk, number_part, numbers, side, kind_letters,
                  replace(note_part, chr(31), ''), max_rows;
    END $$;
    REVOKE ALL ON FUNCTION search_recordings FROM PUBLIC;
    GRANT EXECUTE ON FUNCTION search_recordings TO tapelink_member;
    -- Owned by the search's role; an administrator who is not a superuser may give it away only as a member of
    -- it, and only to a role that may create in the schema: both for this moment alone.
    DO $$
    DECLARE
        member boolean := NOT (SELECT rolsuper FROM pg_roles WHERE rolname = current_user)
                          AND NOT pg_has_role('tapelink_search', 'MEMBER');
    BEGIN
        IF member THEN EXECUTE format('GRANT tapelink_search TO %I', current_user); END IF;
        GRANT CREATE ON SCHEMA tapelink TO tapelink_search;
        ALTER FUNCTION tapelink.search_recordings OWNER TO tapelink_search;
        REVOKE CREATE ON SCHEMA tapelink FROM tapelink_search;
        IF member THEN EXECUTE format('REVOKE tapelink_search FROM %I', current_user); END IF;
    END $$;
    )sql";

}  // namespace tapelink

#pragma once

namespace tapelink {

// The schema step that opens the team's phonebook to its members, as the server enforces it: every member
// reads it; whoever may annotate on some desk (a desk's own role included) writes it. The server, not the
// client, records who wrote an entry last and when. One entry per name, as desks merge by name: entries of
// one name made before are merged first.
inline constexpr const char* kTeamPhonebookAccessStep = R"sql(
    CREATE FUNCTION may_edit_phonebook() RETURNS boolean LANGUAGE sql STABLE AS $$
        SELECT cardinality(tapelink.desks_with('annotate')) > 0
    $$;
    CREATE FUNCTION phonebook_edited() RETURNS trigger LANGUAGE plpgsql AS $$
    BEGIN
        NEW.edited_by := current_user;
        NEW.edited_at := now();
        RETURN NEW;
    END $$;
    CREATE TRIGGER phonebook_edited BEFORE INSERT OR UPDATE ON phonebook
        FOR EACH ROW EXECUTE FUNCTION phonebook_edited();
    UPDATE phonebook p SET numbers = ARRAY(SELECT DISTINCT unnest(q.numbers) FROM phonebook q WHERE q.name = p.name)
        WHERE EXISTS (SELECT 1 FROM phonebook q WHERE q.name = p.name AND q.id <> p.id);
    DELETE FROM phonebook p WHERE EXISTS (SELECT 1 FROM phonebook q WHERE q.name = p.name AND q.id < p.id);
    CREATE UNIQUE INDEX phonebook_name ON phonebook(name);
    ALTER TABLE phonebook ENABLE ROW LEVEL SECURITY;
    ALTER TABLE phonebook FORCE ROW LEVEL SECURITY;
    CREATE POLICY read ON phonebook FOR SELECT USING (true);
    CREATE POLICY write ON phonebook FOR INSERT WITH CHECK ((SELECT may_edit_phonebook()));
    CREATE POLICY rewrite ON phonebook FOR UPDATE USING ((SELECT may_edit_phonebook()));
    CREATE POLICY unwrite ON phonebook FOR DELETE USING ((SELECT may_edit_phonebook()));
    )sql";

}  // namespace tapelink

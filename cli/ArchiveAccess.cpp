#include "cli/ArchiveAccess.h"

#include <unistd.h>

#include <cstdio>

#include "archive/ArchiveOwnFolder.h"
#include "catalogue/CatalogueFailureText.h"
#include "catalogue/CatalogueSession.h"
#include "settings/ProfileFolder.h"
#include "settings/SettingsStore.h"

namespace tapelink::cli {

namespace {

constexpr const char* kFolderMissing = "上传路径错误！";

// A progress line on stderr, only on a terminal, only while there is hashing to wait for.
void drawProgress(int done, int total) {
    static const bool onTerminal = ::isatty(STDERR_FILENO) == 1;
    if (!onTerminal || total == 0) return;
    std::fprintf(stderr, "\r正在建立存档索引 %d/%d", done, total);
    if (done == total) std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
}

}  // namespace

std::string archiveFolderOr(const std::string& to) {
    if (!to.empty()) return to;
    SettingsStore store;
    store.Load(settingsFilePath(profileFolderPath()));
    return store.GetRecord().uploadFolder();
}

std::string catalogueSetAsideText(const std::string& asidePath) {
    return "存档索引已损坏，原文件已保存为 " + asidePath + "，正在根据上传文件夹重建存档索引。";
}

namespace {

// The archive's own folder refused (a link, a file, another disk's folder): told, and true.
bool ownFolderRefused(const std::string& folder, IMessageSink& messages) {
    const ArchiveOwnFolder own(folder, ArchiveOwnFolder::Mode::OpenOnly);
    if (own.archiveFd() < 0 || own.failure().empty()) return false;
    messages.showMessage(own.failure(), MessageIcon::Warning);
    return true;
}

// The stores the session handed out, which outlive it.
OpenArchive storesOf(const CatalogueSession& session) {
    return {session.sharedCatalogue(), session.sharedPhonebook(), session.sharedNotes(), session.reconciled()};
}

}  // namespace

OpenArchive openArchive(IArchiveCatalogueOpener& catalogues, const std::string& folder, IMessageSink& messages) {
    if (::access(folder.c_str(), F_OK) != 0) {
        messages.showMessage(kFolderMissing, MessageIcon::Warning);
        return {};
    }
    if (ownFolderRefused(folder, messages)) return {};
    CatalogueSession session(catalogues, folder);
    session.open(CatalogueAccess::ReadWrite);
    if (!session.setAsidePath().empty()) {
        messages.showMessage(catalogueSetAsideText(session.setAsidePath()), MessageIcon::Warning);
    }
    session.reconcile({}, drawProgress);
    if (!session.isOpen()) {
        // A read-only folder without a catalogue: an empty one stands in, so marks and listings still work.
        if (session.status() == CatalogueStatus::ReadOnly || session.status() == CatalogueStatus::Ok) return {};
        messages.showMessage(catalogueFailureText(session.status()), MessageIcon::Warning);
        return {};
    }
    if (session.reconciled().status != CatalogueStatus::Ok) {
        messages.showMessage(catalogueFailureText(session.reconciled().status, false), MessageIcon::Warning);
        return {};
    }
    return storesOf(session);
}

OpenArchive openCatalogue(IArchiveCatalogueOpener& catalogues, const std::string& folder, CatalogueAccess access,
                          IMessageSink& messages) {
    if (::access(folder.c_str(), F_OK) != 0) {
        messages.showMessage(kFolderMissing, MessageIcon::Warning);
        return {};
    }
    if (ownFolderRefused(folder, messages)) return {};
    CatalogueSession session(catalogues, folder);
    session.open(access);
    if (!session.setAsidePath().empty()) {
        messages.showMessage(catalogueSetAsideText(session.setAsidePath()), MessageIcon::Warning);
    }
    const bool fine = session.status() == CatalogueStatus::Ok || session.status() == CatalogueStatus::ReadOnly;
    if (!session.isOpen() && !fine) messages.showMessage(catalogueFailureText(session.status()), MessageIcon::Warning);
    return storesOf(session);
}

}  // namespace tapelink::cli

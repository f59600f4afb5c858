#include "cli/ArchiveAccess.h"

#include <unistd.h>

#include <cstdio>

#include "app/ProfileFolder.h"
#include "app/SettingsStore.h"
#include "archive/ArchiveOwnFolder.h"
#include "platform/SqliteArchiveCatalogue.h"

namespace tapelink::cli {

namespace {

constexpr const char* kCatalogueFailed = "存档索引无法打开！";
constexpr const char* kCatalogueNewer = "存档索引由更新版本的程序建立，无法打开！";
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

}  // namespace

OpenArchive openArchive(const std::string& folder, IMessageSink& messages) {
    OpenArchive archive;
    if (::access(folder.c_str(), F_OK) != 0) {
        messages.showMessage(kFolderMissing, MessageIcon::Warning);
        return archive;
    }
    if (ownFolderRefused(folder, messages)) return archive;
    SqliteCatalogueOpener opener;
    CatalogueOpening opening = opener.open(folder, CatalogueAccess::ReadWrite);
    if (!opening.setAsidePath.empty()) {
        messages.showMessage(catalogueSetAsideText(opening.setAsidePath), MessageIcon::Warning);
    }
    if (!opening.catalogue) {
        // A read-only folder without a catalogue: an empty one stands in, so marks and listings still work.
        if (opening.status == CatalogueStatus::ReadOnly || opening.status == CatalogueStatus::Ok) return archive;
        messages.showMessage(opening.status == CatalogueStatus::NewerVersion ? kCatalogueNewer : kCatalogueFailed,
                             MessageIcon::Warning);
        return archive;
    }
    archive.catalogue = std::move(opening.catalogue);
    archive.reconciled = reconcileCatalogue(*archive.catalogue, folder, {}, drawProgress);
    if (archive.reconciled.status != CatalogueStatus::Ok) {
        messages.showMessage(kCatalogueFailed, MessageIcon::Warning);
        archive.catalogue.reset();
    }
    return archive;
}

std::unique_ptr<IArchiveCatalogue> openCatalogue(const std::string& folder, CatalogueAccess access,
                                                 IMessageSink& messages) {
    if (::access(folder.c_str(), F_OK) != 0) {
        messages.showMessage(kFolderMissing, MessageIcon::Warning);
        return nullptr;
    }
    if (ownFolderRefused(folder, messages)) return nullptr;
    CatalogueOpening opening = SqliteCatalogueOpener().open(folder, access);
    if (!opening.setAsidePath.empty()) {
        messages.showMessage(catalogueSetAsideText(opening.setAsidePath), MessageIcon::Warning);
    }
    const bool fine = opening.status == CatalogueStatus::Ok || opening.status == CatalogueStatus::ReadOnly;
    if (!opening.catalogue && !fine) {
        messages.showMessage(opening.status == CatalogueStatus::NewerVersion ? kCatalogueNewer : kCatalogueFailed,
                             MessageIcon::Warning);
    }
    return std::move(opening.catalogue);
}

}  // namespace tapelink::cli

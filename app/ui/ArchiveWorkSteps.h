#pragma once

#include <QString>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "catalogue/CatalogueRebuildReport.h"
#include "catalogue/IArchiveWriteLock.h"
#include "common/IMessageSink.h"

namespace tapelink {

class CatalogueSession;
class IArchiveWindow;
class WorkerMailbox;
struct ArchiveWorkResult;

// Steps the archive's commands share on the worker and in their reports.

// Opens the folder's catalogue and brings it up to date with the folder, telling result how the opening
// went; false when no catalogue could be opened.
bool openReconciled(CatalogueSession& session, std::stop_token stop, ArchiveWorkResult& result);

// Takes the archive's write lock, then opens and reconciles its catalogue, so that nothing else writes the
// archive while a command changes it. Null when either fails: a lock another program holds adds
// refusal ("无法锁定上传路径 FOLDER，" and it) to the messages. The lock lasts as long as the pointer.
std::unique_ptr<IArchiveWriteLock> lockReconciled(CatalogueSession& session, const std::string& folder,
                                                  const char* refusal, std::stop_token stop, ArchiveWorkResult& result);

// Hashing progress, shown in the window's progress bar from the worker.
HashProgress progressOnWindow(WorkerMailbox& mailbox, IArchiveWindow& window);

// "title：" and the names one a line, the first of many and their count; empty for none.
QString listOf(const char* title, const std::vector<std::string>& names);

// Tells how the run opened the catalogue: a damaged one set aside, a lost connection, and a command's
// catalogue that could not be opened at all when the command says nothing else.
void showCatalogueOpening(const ArchiveWorkResult& result, bool command, IMessageSink& messages);

}  // namespace tapelink

#include "team/TeamPublishRound.h"

#include "team/TeamNotePublisher.h"
#include "team/TeamStatusText.h"

namespace tapelink {

PublishReport publishRound(CatalogueSession& archive, ITeamArchive& team, const std::string& desk,
                           std::stop_token stop) {
    PublishReport report = TeamPublisher(archive, team, desk).publish(stop);
    if (report.status == TeamStatus::ConnectionLost || report.local != CatalogueStatus::Ok) return report;
    TeamNotePublisher(archive, team, desk).publish(report, stop);
    return report;
}

bool openForPublishing(CatalogueSession& archive, PublishReport& report) {
    report.local = archive.open(CatalogueAccess::ReadWrite);
    if (archive.isOpen() && report.local == CatalogueStatus::Ok) return true;
    report.status = TeamStatus::Failed;
    return false;
}

std::string unpublishedText(const PublishReport& report) {
    if (report.local != CatalogueStatus::Ok) return "存档索引读取失败，未发布到团队存档。";
    std::string text;
    if (report.unpublished > 0) {
        text = "团队存档：已发布 " + std::to_string(report.published) + " 个，尚未发布 " +
               std::to_string(report.unpublished) + " 个，下次上传时补发。";
    }
    if (report.unreadable > 0) {
        text += "有 " + std::to_string(report.unreadable) + " 个已存档的文件无法按存档时的内容读取，未发布到团队存档。";
    }
    if (report.notesRefused > 0) {
        text += "团队存档拒绝了 " + std::to_string(report.notesRefused) + " 条备注的修改：没有备注权限。";
    }
    if (report.notesUnsent > 0) {
        text += "有 " + std::to_string(report.notesUnsent) + " 条备注的修改尚未发送到团队存档，下次上传时补发。";
    }
    // The reason once, after the counts; a refusal of notes has said its own, and a lost connection alone
    // is told as the team archive's.
    if (report.status == TeamStatus::Refused && report.notesRefused > 0) return text;
    if (text.empty() && report.status == TeamStatus::ConnectionLost) text = "团队存档：";
    return text + teamStatusText(report.status);
}

}  // namespace tapelink

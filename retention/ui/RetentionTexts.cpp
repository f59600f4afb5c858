#include "retention/ui/RetentionTexts.h"

#include <QDateTime>

namespace tapelink {

QString callStartText(const std::string& startKey) {
    if (startKey.size() != 10) return {};
    const QString key = QString::fromStdString(startKey);
    return QStringLiteral("20%1-%2-%3 %4:%5")
        .arg(key.mid(0, 2), key.mid(2, 2), key.mid(4, 2), key.mid(6, 2), key.mid(8, 2));
}

QString sizeText(std::uint64_t bytes) {
    if (bytes < 1024 * 1024) return QStringLiteral("%1K").arg((bytes + 1023) / 1024);
    return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB");
}

QString dateText(std::int64_t secondsSinceEpoch) {
    return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch).toString(QStringLiteral("yyyy-MM-dd"));
}

namespace {

QString failureText(const ExpiryOutcome& outcome) {
    if (outcome.failure.empty()) return {};
    return QStringLiteral("\n%1（%2 个录音保持原样）")
        .arg(QString::fromStdString(outcome.failure))
        .arg(outcome.failed.size());
}

}  // namespace

QString expirySummary(const ExpiryOutcome& moved, const ExpiryOutcome& purged, int purgeDays) {
    QString text =
        QStringLiteral("已移出 %1 个录音（%2）到 .tapelink/expired/，%3 天后永久删除；可在“已过期的录音”中恢复。")
            .arg(moved.done.size())
            .arg(sizeText(moved.bytes))
            .arg(purgeDays);
    if (!purged.done.empty()) {
        text += QStringLiteral("\n已永久删除过期超过 %1 天的录音 %2 个。").arg(purgeDays).arg(purged.done.size());
    }
    return text + failureText(moved) + failureText(purged);
}

QString restoreSummary(const ExpiryOutcome& restored) {
    return QStringLiteral("已恢复 %1 个录音（%2）。").arg(restored.done.size()).arg(sizeText(restored.bytes)) +
           failureText(restored);
}

QString purgeSummary(const ExpiryOutcome& purged) {
    return QStringLiteral("已永久删除 %1 个已过期的录音（%2）。").arg(purged.done.size()).arg(sizeText(purged.bytes)) +
           failureText(purged);
}

QString purgeQuestion(std::size_t count, std::uint64_t bytes) {
    return QStringLiteral("将永久删除全部 %1 个已过期的录音（共 %2），删除后无法恢复。确定吗？")
        .arg(count)
        .arg(sizeText(bytes));
}

}  // namespace tapelink

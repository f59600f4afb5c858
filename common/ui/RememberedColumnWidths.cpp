#include "common/ui/RememberedColumnWidths.h"

#include <QHeaderView>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "common/IColumnWidthStore.h"

namespace tapelink {

namespace {

// A drag resizes a section many times a second; the file is written once it has settled.
constexpr int kSettleMs = 400;

// Lives as the header's child: it collects the widths as they change and writes them once.
class ColumnWidthKeeper : public QObject {
public:
    ColumnWidthKeeper(QHeaderView& header, std::shared_ptr<IColumnWidthStore> store, std::string name)
        : QObject(&header), m_header(header), m_store(std::move(store)), m_name(std::move(name)) {
        m_settle.setSingleShot(true);
        m_settle.setInterval(kSettleMs);
        connect(&m_settle, &QTimer::timeout, this, [this] { write(); });
        connect(&header, &QHeaderView::sectionResized, this, [this] {
            m_widths.clear();
            for (int section = 0; section < m_header.count(); ++section) {
                m_widths.push_back(m_header.sectionSize(section));
            }
            m_settle.start();
        });
    }

    // The header may already be half gone here: only the collected widths are used.
    ~ColumnWidthKeeper() override { write(); }

private:
    void write() {
        if (m_widths.empty()) return;
        m_store->setColumnWidths(m_name, m_widths);
        m_widths.clear();
    }

    QHeaderView& m_header;
    std::shared_ptr<IColumnWidthStore> m_store;
    std::string m_name;
    std::vector<int> m_widths;  // the widths not yet written
    QTimer m_settle;
};

}  // namespace

void rememberColumnWidths(QTableView& list, std::shared_ptr<IColumnWidthStore> store, const std::string& name) {
    if (!store) return;
    QHeaderView& header = *list.horizontalHeader();
    const std::vector<int> stored = store->columnWidths(name);
    const int count = std::min(header.count(), static_cast<int>(stored.size()));
    for (int section = 0; section < count; ++section) {
        header.resizeSection(section, stored[static_cast<std::size_t>(section)]);
    }
    new ColumnWidthKeeper(header, std::move(store), name);
}

}  // namespace tapelink

#pragma once

#include <QWidget>

#include <memory>

namespace narrata {

class LocationLinks;

namespace Ui {
class LinkPopover;
}

// The prefix that names the shown document in copied links, with its check mark, and whether
// links are copied as Markdown text; dropped down from its toolbar button.
class LinkPopover final : public QWidget {
    Q_OBJECT

public:
    // links must outlive the popover.
    explicit LinkPopover(LocationLinks &links, QWidget *parent = nullptr);
    ~LinkPopover() override;

    void showBelow(QWidget *anchor);

private:
    void showPrefix(const QString &prefix, bool usable);

    std::unique_ptr<Ui::LinkPopover> ui;
    LocationLinks &m_links;
};

} // namespace narrata

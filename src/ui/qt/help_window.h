// The help viewer: a plain window showing the topic of a help context from the library's
// help file (text, one "[context] title" line per topic).
#pragma once
#include <QDialog>
#include <QPointer>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QTextBrowser;

namespace lntc {

struct HelpPage {
    uint32_t context = 0;
    std::string title;
    std::string text; // paragraphs separated by "\n\n"
};

// The topic of a context in a help file's contents, or nullopt.
std::optional<HelpPage> FindHelpPage(std::string_view contents, uint32_t context);

class HelpWindow : public QDialog {
  public:
    // ownFrame: framed by the host, where nothing else frames it.
    explicit HelpWindow(QWidget* parent = nullptr, bool ownFrame = false);
    // Reads the file afresh and shows the topic, or says why there is none.
    void showTopic(const std::string& file, uint32_t context);
    // Shows the window beside owner (the window that asked), wholly on owner's screen, above
    // it and free of its modality; when it closes, owner is active again.
    void showFor(QWidget* owner);
    QString shownTitle() const;
    QString shownText() const;

  protected:
    void hideEvent(QHideEvent* event) override;

  private:
    QTextBrowser* browser_;
    QPointer<QWidget> owner_;
};

} // namespace lntc

// The help viewer: a plain window showing the topic of a help context from the library's
// help file (text, one "[context] title" line per topic).
#pragma once
#include <QDialog>

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
    explicit HelpWindow(QWidget* parent = nullptr);
    // Reads the file afresh and shows the topic, or says why there is none.
    void showTopic(const std::string& file, uint32_t context);
    QString shownTitle() const;
    QString shownText() const;

  private:
    QTextBrowser* browser_;
};

} // namespace lntc

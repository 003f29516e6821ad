#include "ui/qt/help_window.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHideEvent>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <fstream>
#include <sstream>

#include "resources/help_file.h"
#include "ui/qt/logo_window.h"
#include "ui/qt/qt_frame.h"
#include "ui/qt/qt_window.h"

namespace lntc {

namespace {

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::optional<std::string> readHelpFile(const std::string& file) {
    return readFile(file);
}

} // namespace

std::optional<HelpPage> FindHelpPage(std::string_view contents, uint32_t context) {
    auto topic = findHelpTopic(contents, context);
    if (!topic) return std::nullopt;
    return HelpPage{topic->context, topic->title, topic->text};
}

HelpWindow::HelpWindow(QWidget* parent, bool ownFrame)
    : QDialog(parent), browser_(new QTextBrowser(this)) {
    setWindowFlags(Qt::Window | Qt::WindowCloseButtonHint);
    if (ownFrame) new WindowFrame(*this, true, [this] { reject(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    // A Close button as well, which Tab reaches as it does not reach a close box.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(420, 320);
}

void HelpWindow::showFor(QWidget* owner) {
    const bool shown = isVisible();
    if (owner != nullptr && owner->window() != parentWidget()) {
        // A child of the asking window is not blocked by that window's modality.
        setParent(owner->window(), windowFlags()); // hides it
        owner_ = owner->window();
    }
    if (!shown || !isVisible()) {
        QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen != nullptr ? screen->availableGeometry() : QRect();
        QRect frame(QPoint(), frameGeometry().size());
        if (owner != nullptr) {
            // Right of the owner where there is room, else left of it, then inside the screen.
            const QRect o = owner->window()->frameGeometry();
            frame.moveTopLeft(o.topRight() + QPoint(8, 0));
            if (frame.right() > area.right()) frame.moveRight(o.left() - 8);
        } else {
            frame.moveCenter(area.center());
        }
        move(area.isValid() ? PlaceWindow(frame.size(), frame, area) : frame.topLeft());
    }
    show();
    RaiseWindow(this);
    activateWindow();
}

void HelpWindow::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    // Where no window manager does it, the keys would go nowhere.
    if (owner_ && owner_->isVisible() && !event->spontaneous()) owner_->activateWindow();
}

void HelpWindow::showTopic(const std::string& file, uint32_t context) {
    auto contents = readHelpFile(file);
    std::optional<HelpPage> page;
    if (contents) page = FindHelpPage(*contents, context);
    QString title, body;
    if (!contents) {
        title = QStringLiteral("Help");
        body = QStringLiteral("The help file %1 could not be opened.")
                   .arg(QString::fromStdString(file));
    } else if (!page) {
        title = QStringLiteral("Help");
        body = QStringLiteral("There is no help for this item (context %1).").arg(context);
    } else {
        title = QString::fromStdString(page->title);
        body = QString::fromStdString(page->text);
    }
    setWindowTitle(title);
    QString html = "<h3>" + title.toHtmlEscaped() + "</h3>";
    for (const QString& para : body.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts))
        html += "<p>" + para.toHtmlEscaped() + "</p>";
    browser_->setHtml(html);
    setProperty("lntcTitle", title);
    setProperty("lntcText", body);
}

QString HelpWindow::shownTitle() const {
    return property("lntcTitle").toString();
}

QString HelpWindow::shownText() const {
    return property("lntcText").toString();
}

} // namespace lntc

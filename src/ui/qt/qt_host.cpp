#include "ui/qt/qt_host.h"

#include "platform/windows.h"
#include "ui/qt/help_window.h"
#include "ui/qt/logo_window.h"
#include "ui/qt/qt_frame.h"
#include "ui/qt/qt_message_box.h"
#include "ui/qt/qt_window.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>
#include <cstdlib>

namespace lntc {

namespace {

// The hosts of this module that exist now. Never destroyed: the exit hook and hosts deleted
// by a library's unload still need it after the module's own static objects are gone.
std::vector<QtHost*>& liveHosts() {
    static auto* hosts = new std::vector<QtHost*>;
    return *hosts;
}
bool g_applicationHookAdded = false;
bool g_exitHookAdded = false;

// The class the original platform gives dialog windows; what the window registry records.

} // namespace

QtHost::QtHost(QtHostServices* services, std::unique_ptr<QApplication> ownedApp)
    : services_(services), ownedApp_(std::move(ownedApp)), model_(*this) {
    liveHosts().push_back(this);
    // Called at the start of the application object's destructor; the list of these hooks
    // is emptied there, so each application object gets its own.
    if (!g_applicationHookAdded) {
        qAddPostRoutine(&QtHost::applicationEnding);
        g_applicationHookAdded = true;
    }
    // Runs before the destructors of the libraries (and of a library that loaded this
    // module); this module is never unloaded.
    if (!g_exitHookAdded) g_exitHookAdded = std::atexit(&QtHost::processExiting) == 0;
}

QtHost::~QtHost() {
    auto& hosts = liveHosts();
    hosts.erase(std::remove(hosts.begin(), hosts.end(), this), hosts.end());
    if (toolkitGone_) {
        // Only the window registry may be touched; the widgets go with the process.
        for (const auto& w : model_.open())
            if (QtDialogWindow* view = viewOf(w.get())) unregisterWindow(*view);
        (void)ownedApp_.release();
        return;
    }
    releaseWidgets();
    ownedApp_.reset();
}

void QtHost::releaseWidgets() {
    // Every open window ends (its loop returns) and loses its widgets, children first; the
    // model keeps the windows until their dialogs close them.
    std::vector<ModelWindow*> open;
    for (const auto& w : model_.open())
        open.push_back(w.get());
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        model_.endModal(*it, id::Cancel);
        QtDialogWindow* view = viewOf(*it);
        if (view == nullptr) continue;
        unregisterWindow(*view);
        (*it)->view = nullptr;
        view->detach();
        delete view;
    }
    if (logo_) logo_->release();
    delete help_.data();
    while (waitDepth_ > 0)
        endWaitCursor();
}

void QtHost::applicationEnding() {
    g_applicationHookAdded = false;
    for (QtHost* host : std::vector<QtHost*>(liveHosts()))
        host->letGo(true);
}

void QtHost::processExiting() {
    for (QtHost* host : std::vector<QtHost*>(liveHosts()))
        host->letGo(false);
}

void QtHost::letGo(bool qtStands) {
    if (toolkitGone_) return;
    if (qtStands) {
        // The logo closes as on its timer, so that the library forgets it too.
        if (logo_) logo_->close();
        releaseWidgets();
    } else if (logo_) {
        logo_->abandon();
    }
    toolkitGone_ = true;
    if (services_ != nullptr) services_->toolkitEnded();
}

QtDialogWindow* QtHost::viewOf(const ModelWindow* window) {
    return window != nullptr ? static_cast<QtDialogWindow*>(window->view) : nullptr;
}

QWidget* QtHost::widget(WindowRef window) const {
    return viewOf(model_.find(window));
}

QWidget* QtHost::control(WindowRef window, int id) const {
    QtDialogWindow* view = viewOf(model_.find(window));
    return view != nullptr ? view->widget(id) : nullptr;
}

QWidget* QtHost::helpWindow() const {
    return help_.data();
}

QWidget* QtHost::logoWindow() const {
    return logo_ ? logo_->window() : nullptr;
}

void QtHost::registerWindow(QtDialogWindow& w) {
    w.record.set(services_ != nullptr ? services_->windows() : nullptr,
                 w.windowTitle().toStdString());
}

void QtHost::unregisterWindow(QtDialogWindow& w) {
    w.record.clear();
}

// --- windows ---------------------------------------------------------------------------

bool QtHost::buildWindow(ModelWindow& window, const DialogTemplate& t, ModelWindow* parent) {
    if (toolkitGone_) return false;
    auto* view = new QtDialogWindow(model_, window, t, viewOf(parent), drawsFrames());
    if (window.modal) view->setWindowModality(Qt::ApplicationModal);
    window.view = view;
    window.rect = {view->x(), view->y(), view->width(), view->height()};
    registerWindow(*view);
    return true;
}

void QtHost::showWindow(ModelWindow& window) {
    QtDialogWindow* view = viewOf(&window);
    if (view == nullptr) return;
    // The focus widget set while the window was hidden takes the focus as it shows.
    if (window.focus == 0) view->setFocus(Qt::OtherFocusReason);
    if (!view->placed) {
        place(*view);
        window.rect.x = view->x(), window.rect.y = view->y();
    }
    view->show();
    RaiseWindow(view);
    view->activateWindow();
    restack();
}

bool QtHost::drawsFrames() {
    if (!ownFrames) ownFrames = PlatformFramesNoWindows();
    return *ownFrames;
}

void QtHost::place(QtDialogWindow& view) {
    view.placed = true;
    PlaceOnOwner(view);
}

// Without a window manager nothing keeps a dialog over its owner: the open windows are raised
// in the model's order (those on top of all last), and the last one is the active window.
void QtHost::restack() {
    if (!drawsFrames()) return;
    for (QWidget* w : stackingOrder())
        RaiseWindow(w);
    QtDialogWindow* last = nullptr;
    for (const auto& w : model_.open())
        if (QtDialogWindow* view = viewOf(w.get()); view && view->isVisible() && !w->topmost)
            last = view;
    if (last != nullptr && QApplication::activeWindow() == nullptr) last->activateWindow();
}

std::vector<QWidget*> QtHost::stackingOrder() const {
    std::vector<QWidget*> order;
    for (bool topmost : {false, true})
        for (const auto& w : model_.open()) {
            QtDialogWindow* view = viewOf(w.get());
            if (view == nullptr || !view->isVisible() || w->topmost != topmost) continue;
            order.push_back(view);
            // Over the dialog: the help it asked for, and over all of its own its boxes.
            if (help_ && help_->isVisible() && help_->parentWidget() == view)
                order.push_back(help_);
            for (QMessageBox* box : view->findChildren<QMessageBox*>(Qt::FindDirectChildrenOnly))
                if (box->isVisible()) order.push_back(box);
        }
    return order;
}

void QtHost::runModalLoop(ModelWindow& window) {
    QtDialogWindow* view = viewOf(&window);
    if (view == nullptr) return;
    QEventLoop loop;
    view->loop = &loop;
    loop.exec(QEventLoop::DialogExec);
    // Qt may have gone while the loop ran, and the widgets with it.
    if ((view = viewOf(&window)) != nullptr) view->loop = nullptr;
}

void QtHost::modalEnded(ModelWindow& window) {
    QtDialogWindow* view = viewOf(&window);
    if (view != nullptr && view->loop != nullptr) view->loop->exit(window.endCode);
}

void QtHost::windowClosed(std::unique_ptr<ModelWindow> window) {
    QtDialogWindow* view = viewOf(window.get());
    if (view == nullptr) return;
    unregisterWindow(*view);
    bool modal = window->modal;
    window->view = nullptr;
    view->detach(std::move(window));
    view->hide();
    restack();
    if (modal)
        delete view; // its loop has returned: no handler of the window runs any more
    else
        view->deleteLater(); // a handler of the window itself may be asking
}

void QtHost::mirror(ModelWindow& window, ModelControl* control, Changed what, int index) {
    QtDialogWindow* view = viewOf(&window);
    if (view == nullptr) return;
    view->mirror(control, what, index);
    if (what == Changed::Title) {
        unregisterWindow(*view);
        registerWindow(*view);
    }
}

Rect QtHost::screenRect() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    QRect g = screen->geometry();
    return {g.x(), g.y(), g.width(), g.height()};
}

void QtHost::beep() {
    QApplication::beep();
}

int QtHost::showBox(const BoxRequest& box) {
    return ShowQtMessageBox(box, viewOf(box.ownerWindow), boxHook, drawsFrames());
}

void QtHost::refuseBox(const BoxRequest& box) {
    if (services_ != nullptr)
        services_->logError("LNTC: message boxes nest endlessly: " + box.text);
}

// --- help, wait cursor, logo -----------------------------------------------------------

void QtHost::showHelp(WindowRef owner, const std::string& file, uint32_t command, uint32_t data) {
    if (command != help::Context || toolkitGone_) return;
    if (!help_) help_ = new HelpWindow(nullptr, drawsFrames());
    QtDialogWindow* w = viewOf(model_.find(owner));
    help_->showTopic(file, data);
    help_->showFor(w);
}

void QtHost::beginWaitCursor() {
    ++waitDepth_;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtHost::endWaitCursor() {
    if (waitDepth_ == 0) return;
    --waitDepth_;
    QGuiApplication::restoreOverrideCursor();
}

LogoView* QtHost::logoView() {
    if (toolkitGone_) return nullptr;
    if (!logo_) logo_ = std::make_unique<QtLogoView>();
    return logo_.get();
}

} // namespace lntc

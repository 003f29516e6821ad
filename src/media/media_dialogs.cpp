#include "media/media_dialogs.h"

#include "library/services.h"
#include "media/default_media.h"
#include "media/ldpx_config.h"
#include "media/media_rules.h"
#include "media/paper_sizes.h"
#include "resources/ids.h"
#include "store/fields.h"
#include "store/models.h"
#include "store/records.h"
#include "ui/message_box.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace lntc {

namespace {

constexpr uint16_t kNone = LNTC_MEDIA_NONE;
constexpr size_t kOverscanTextLimit = 80;

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string trayValue(std::string_view paper, unsigned priority) {
    return formatMessage("%s, %d", upper(paper).c_str(), static_cast<int>(priority));
}

// A model the catalogue does not know, or media that cannot be built: nothing present,
// no tray-name list.
DefaultMedia blankMedia() {
    DefaultMedia m{};
    for (MediaTray& t : m.Trays)
        t = {kNone, 0};
    m.EjectTrays.usTrayNameIndex = kNone;
    m.QDTrays.usTrayNameIndex = kNone;
    m.PSTrays.usTrayNameIndex = kNone;
    return m;
}

// A stored tray index takes precedence over the model's where the model's list offers that
// entry; an unset one, or one the list does not hold (a model without the list, a list that
// got shorter), takes the model's, or the fallback when the model has none either. Taken over
// as it stands, such an index would enable an empty combo whose OK stores no tray at all.
void mergeTrayIndex(int16_t& queueValue, MediaTrayList& list, int16_t fallback) {
    const uint16_t stored = static_cast<uint16_t>(queueValue);
    const uint16_t names = std::min<uint16_t>(list.usNumTrayNames, LNTC_MEDIA_TRAY_NAMES);
    if (list.usTrayNameIndex != kNone && stored < names)
        list.usTrayNameIndex = stored;
    else
        queueValue =
            list.usTrayNameIndex != kNone ? static_cast<int16_t>(list.usTrayNameIndex) : fallback;
}

char* trayField(QueueRecord& q, int tray) {
    return tray == 0 ? q.Tray1_Top : tray == 1 ? q.Tray2_Bottom : q.Tray3_Third;
}

int modelIndex(const QueueRecord& q) {
    int index = ModelIndexOfQueue(q);
    return index >= 0 && static_cast<size_t>(index) < kModelCount ? index : -1;
}

} // namespace

void MergeQueueMedia(const Services& svc, QueueRecord& q, DefaultMedia& media, bool show) {
    if (!svc.media.defaultMedia) GetDefaultMedia(svc, show);
    int index = modelIndex(q);
    media = svc.media.defaultMedia && index >= 0
                ? svc.media.defaultMedia[static_cast<size_t>(index)]
                : blankMedia();
    const uint16_t papers = std::min<uint16_t>(media.NumPaperSizes, LNTC_MEDIA_PAPER_SIZES);
    for (int t = 0; t < LNTC_MEDIA_TRAYS; ++t) {
        char* field = trayField(q, t);
        MediaTray& tray = media.Trays[t];
        const TrayValue value = ParseTrayValue(fieldText(field, sizeof q.Tray1_Top));
        if (value.given) {
            if (!value.present) {
                tray = {kNone, 0};
                continue;
            }
            uint16_t paper = 0;
            for (uint16_t i = 0; i < papers; ++i) {
                if (equalsIgnoreCase(fieldText(media.PaperSizes[i].szName), value.paper)) {
                    paper = i;
                    break;
                }
            }
            // Without a priority the tray has none: no button of it is checked.
            tray = {paper, static_cast<uint16_t>(value.priority)};
        } else if (tray.usPaperSizeIndex == kNone || tray.usPaperSizeIndex >= papers) {
            tray = {kNone, 0};
            copyField(field, sizeof q.Tray1_Top, "NONE");
        } else {
            copyField(field, sizeof q.Tray1_Top,
                      trayValue(fieldText(media.PaperSizes[tray.usPaperSizeIndex].szName),
                                tray.usPriority));
        }
    }
    mergeTrayIndex(q.EjectTray, media.EjectTrays, 2);
    mergeTrayIndex(q.QDDefaultTray, media.QDTrays, 0);
    mergeTrayIndex(q.PSDefaultTray, media.PSTrays, 0);
}

// --- shared pieces -------------------------------------------------------------------------

MediaDialog::MediaDialog(const Services& svc, uint16_t templateId, Dialog* parent,
                         QueueRecord& queue, int overscanId)
    : HelpDialog(svc.ui, templateId, parent), svc_(svc), queue_(queue),
      overscan_(queue.OverscanAmt), overscanId_(overscanId) {}

void MediaDialog::showTitle(int queueNameId) {
    std::string model = ModelDisplayName(svc_.ui.strings(), modelIndex(queue_));
    setTitle(formatMessage(svc_.ui.strings().load(str::PaperMediaTitle).c_str(), model.c_str()));
    setWindowText(queueNameId, std::string(fieldText(queue_.Name)));
}

void MediaDialog::checkOverscanText() {
    std::string text = windowText(overscanId_).substr(0, kOverscanTextLimit);
    double value = 0;
    if (parseReal(text, value) && limit::OverscanAmt.holds(value))
        setWindowText(overscanId_, formatMessage("%1.1f", value));
    else
        ErrorId(svc_.ui, window(), str::OverscanRange);
}

void MediaDialog::fillTrayNames(const MediaTrayList& list, int labelId, int comboId) {
    bool on = list.usTrayNameIndex != kNone;
    enable(labelId, on);
    enable(comboId, on);
    if (!on) return;
    resetContent(comboId);
    const uint16_t count = std::min<uint16_t>(list.usNumTrayNames, LNTC_MEDIA_TRAY_NAMES);
    for (uint16_t i = 0; i < count; ++i)
        addString(comboId, std::string(fieldText(list.szTrayName[i])));
    setCurSel(comboId, list.usTrayNameIndex);
}

void MediaDialog::exchangeOverscan(DataExchange& dx) {
    ddxDouble(dx, overscanId_, overscan_);
    ddvRange(dx, overscan_, limit::OverscanAmt);
}

void MediaDialog::onKillFocus(int id) {
    if (id == overscanId_) checkOverscanText();
}

// --- input trays ---------------------------------------------------------------------------

TrayMediaDialog::TrayMediaDialog(const Services& svc, Dialog* parent, QueueRecord& queue,
                                 DefaultMedia& media)
    : MediaDialog(svc, dlg::TrayMedia, parent, queue, trayctl::Overscan), media_(media) {}

int TrayMediaDialog::control(int tray, int topId) {
    return topId + tray * trayctl::TrayStride;
}

bool TrayMediaDialog::available(int tray) {
    return isChecked(control(tray, trayctl::TopAvailable)) == 1;
}

int TrayMediaDialog::priority(int tray) {
    int p1 = control(tray, trayctl::TopPriority1);
    int checked = checkedRadioButton(p1, p1 + 2);
    return checked == 0 ? 0 : checked - p1 + 1;
}

void TrayMediaDialog::setPriority(int tray, int p) {
    int p1 = control(tray, trayctl::TopPriority1);
    checkRadioButton(p1, p1 + 2, p >= 1 && p <= 3 ? p1 + p - 1 : 0);
}

int TrayMediaDialog::checkedCount() {
    int n = 0;
    for (int t = 0; t < LNTC_MEDIA_TRAYS; ++t)
        n += available(t) ? 1 : 0;
    return n;
}

void TrayMediaDialog::enableRadios(int tray, int upTo) {
    int p1 = control(tray, trayctl::TopPriority1);
    for (int i = 0; i < 3; ++i)
        enable(p1 + i, i < upTo);
}

void TrayMediaDialog::availabilityRule(int tray) {
    const int n = checkedCount();
    const bool on = available(tray);
    for (int id : {trayctl::TopPriorityLabel, trayctl::TopPriority1, trayctl::TopPriority2,
                   trayctl::TopPriority3, trayctl::TopPaperLabel, trayctl::TopPaper})
        enable(control(tray, id), on);
    if (on && n == 1) enableRadios(tray, 0);
    if (on && n == 2) enableRadios(tray, 2);

    if (on && n == 1) {
        setPriority(tray, 1);
    } else if (!on) {
        reRank(tray);
        setPriority(tray, 0);
    } else if (priority(tray) == 0) {
        int highest = 0;
        for (int t = 0; t < LNTC_MEDIA_TRAYS; ++t) {
            if (!available(t)) continue;
            enableRadios(t, 3);
            highest = std::max(highest, priority(t));
        }
        setPriority(tray, highest == 3 ? 1 : highest + 1);
    }
}

void TrayMediaDialog::reRank(int tray) {
    const int p = priority(tray); // its buttons still show what it had
    if (p >= 1) {
        for (int t = 0; t < LNTC_MEDIA_TRAYS; ++t) {
            if (t == tray || !available(t)) continue;
            int q = priority(t);
            if (q > p) setPriority(t, q - 1);
        }
    }
    const int n = checkedCount();
    for (int t = 0; t < LNTC_MEDIA_TRAYS; ++t)
        if (available(t)) enableRadios(t, n == 1 ? 0 : n == 2 ? 2 : 3);
}

void TrayMediaDialog::priorityRule(int tray) {
    int p[LNTC_MEDIA_TRAYS];
    for (int t = 0; t < LNTC_MEDIA_TRAYS; ++t)
        p[t] = available(t) ? priority(t) : 0;
    // Only the ranks the present trays can have count: with two trays, 3 is no free rank
    // (its buttons are disabled), and taking it would leave a rank out.
    const int n = checkedCount();
    int lowest = 0;
    for (int candidate = 1; candidate <= n && lowest == 0; ++candidate)
        if (std::find(std::begin(p), std::end(p), candidate) == std::end(p)) lowest = candidate;
    if (lowest == 0) return; // every rank in use
    int partner = tray == 0   ? (p[1] == p[0] ? 1 : 2)
                  : tray == 1 ? (p[1] == p[0] ? 0 : 2)
                              : (p[2] == p[0] ? 0 : 1);
    if (priority(partner) != 0) setPriority(partner, lowest);
}

bool TrayMediaDialog::onInitDialog() {
    HelpDialog::onInitDialog();
    showTitle(trayctl::QueueName);
    const uint16_t papers = std::min<uint16_t>(media_.NumPaperSizes, LNTC_MEDIA_PAPER_SIZES);
    for (int t = 0; t < LNTC_MEDIA_TRAYS; ++t) {
        const int combo = control(t, trayctl::TopPaper);
        for (uint16_t i = 0; i < papers; ++i)
            addString(combo, std::string(fieldText(media_.PaperSizes[i].szName)));
        const MediaTray& tray = media_.Trays[t];
        const bool present = tray.usPaperSizeIndex != kNone;
        setCurSel(combo, present ? tray.usPaperSizeIndex : 0);
        check(control(t, trayctl::TopAvailable), present ? 1 : 0);
        if (present) setPriority(t, tray.usPriority);
    }
    // Once every tray shows whether it is there, so that the rule sees them all.
    for (int t = 0; t < LNTC_MEDIA_TRAYS; ++t)
        if (available(t)) priorityRule(t);
    for (int t = 0; t < LNTC_MEDIA_TRAYS; ++t)
        availabilityRule(t);
    show(trayctl::EjectAvailable, false);
    show(trayctl::EjectTray, false);
    fillTrayNames(media_.QDTrays, trayctl::QdTrayLabel, trayctl::QdTray);
    checkOverscanText();
    applyReadOnlyRegistry();
    return true;
}

void TrayMediaDialog::doDataExchange(DataExchange& dx) {
    exchangeOverscan(dx);
}

void TrayMediaDialog::onCommand(int id, Notify code) {
    if (code != Notify::Clicked) return;
    for (int t = 0; t < LNTC_MEDIA_TRAYS; ++t) {
        int p1 = control(t, trayctl::TopPriority1);
        if (id == control(t, trayctl::TopAvailable))
            availabilityRule(t);
        else if (id >= p1 && id <= p1 + 2)
            priorityRule(t);
    }
}

void TrayMediaDialog::onScroll(int id, Scroll code) {
    if (id == trayctl::OverscanSpin) scrollOverscan(code);
}

void TrayMediaDialog::onOK() {
    // The Quendal-job entries stand for Top, Bottom and Third in that order. A model without
    // such a list leaves the combo empty: there is no tray to check, and none is stored.
    const int qd = getCurSel(trayctl::QdTray);
    bool present[LNTC_MEDIA_TRAYS];
    for (int t = 0; t < LNTC_MEDIA_TRAYS; ++t)
        present[t] = available(t);
    if (!DefaultTrayAvailable(qd, present)) {
        ErrorId(svc_.ui, window(), str::QdTrayNotAvailable);
        setFocus(trayctl::QdTray);
        return;
    }
    // Every check before anything is written: a dialog that stays open and is then
    // cancelled must leave the caller's records as they were.
    if (!updateData(true)) return;

    media_.QDTrays.usTrayNameIndex = qd >= 0 ? static_cast<uint16_t>(qd) : kNone;
    queue_.QDDefaultTray = static_cast<int16_t>(qd >= 0 ? qd : -1);
    for (int t = 0; t < LNTC_MEDIA_TRAYS; ++t) {
        const int combo = control(t, trayctl::TopPaper);
        const int paper = getCurSel(combo);
        MediaTray& tray = media_.Trays[t];
        char* field = trayField(queue_, t);
        if (isEnabled(combo) && paper >= 0) {
            tray.usPaperSizeIndex = static_cast<uint16_t>(paper);
            if (int p = priority(t)) tray.usPriority = static_cast<uint16_t>(p);
            copyField(field, sizeof queue_.Tray1_Top,
                      trayValue(getText(combo, paper), tray.usPriority));
        } else {
            tray = {kNone, 0};
            copyField(field, sizeof queue_.Tray1_Top, "NONE");
        }
    }
    const int eject = getCurSel(trayctl::EjectTray);
    media_.EjectTrays.usTrayNameIndex = eject >= 0 ? static_cast<uint16_t>(eject) : kNone;
    queue_.EjectTray = static_cast<int16_t>(eject >= 0 ? eject : -1);
    queue_.OverscanAmt = overscan_;

    int index = modelIndex(queue_);
    if (index >= 0 && std::strcmp(kPrinterModels[index].key, "GENERIC_POSTSCRIPT") == 0)
        MessageBoxId(svc_.ui, window(), str::WarningCaption, mb::Ok | mb::IconExclamation,
                     str::GenericPostScriptOrientation);
    endDialog(id::Ok);
}

// --- eject trays ---------------------------------------------------------------------------

EjectMediaDialog::EjectMediaDialog(const Services& svc, Dialog* parent, QueueRecord& queue,
                                   DefaultMedia& media)
    : MediaDialog(svc, dlg::EjectMedia, parent, queue, ejectctl::Overscan), media_(media),
      pages_(queue.EjectTrayPages), switch_(queue.EjectTraySwitch != 0 ? 1 : 0) {}

void EjectMediaDialog::doDataExchange(DataExchange& dx) {
    ddxUInt(dx, ejectctl::Pages, pages_);
    ddvRange(dx, pages_, limit::EjectTrayPages);
    ddxCheck(dx, ejectctl::Switch, switch_);
    exchangeOverscan(dx);
}

void EjectMediaDialog::enablePages(bool on) {
    for (int id : {ejectctl::PagesLabel, ejectctl::Pages, ejectctl::PagesSpin})
        enable(id, on);
}

bool EjectMediaDialog::onInitDialog() {
    HelpDialog::onInitDialog();
    showTitle(ejectctl::QueueName);
    fillTrayNames(media_.EjectTrays, ejectctl::EjectTrayLabel, ejectctl::EjectTray);
    fillTrayNames(media_.QDTrays, ejectctl::QdTrayLabel, ejectctl::QdTray);
    fillTrayNames(media_.PSTrays, ejectctl::PsTrayLabel, ejectctl::PsTray);
    enablePages(isChecked(ejectctl::Switch) == 1);
    checkOverscanText();
    applyReadOnlyRegistry();
    return true;
}

void EjectMediaDialog::onCommand(int id, Notify code) {
    if (id == ejectctl::Switch && code == Notify::Clicked)
        enablePages(isChecked(ejectctl::Switch) == 1);
}

void EjectMediaDialog::onScroll(int id, Scroll code) {
    if (id == ejectctl::OverscanSpin) {
        scrollOverscan(code);
    } else if (id == ejectctl::PagesSpin) {
        spin(ejectctl::Pages, code,
             {.low = limit::EjectTrayPages.low, .high = limit::EjectTrayPages.high});
    }
}

void EjectMediaDialog::onOK() {
    if (!updateData(true)) return;
    queue_.EjectTraySwitch = static_cast<uint32_t>(switch_);
    queue_.EjectTrayPages = static_cast<uint16_t>(pages_);
    queue_.OverscanAmt = overscan_;
    auto store = [&](int combo, MediaTrayList& list, int16_t& value) {
        const int sel = getCurSel(combo);
        list.usTrayNameIndex = sel >= 0 ? static_cast<uint16_t>(sel) : kNone;
        value = static_cast<int16_t>(sel >= 0 ? sel : -1);
    };
    store(ejectctl::EjectTray, media_.EjectTrays, queue_.EjectTray);
    store(ejectctl::QdTray, media_.QDTrays, queue_.QDDefaultTray);
    store(ejectctl::PsTray, media_.PSTrays, queue_.PSDefaultTray);
    endDialog(id::Ok);
}

// --- best-available paper sizes --------------------------------------------------------------

namespace {

// Names joined by "," as far as the field holds whole names; the rest is left out and
// reported. Returns the number of names kept.
uint16_t joinNames(const Services& svc, QueueRecord& q, const std::vector<std::string>& names) {
    std::string joined;
    uint16_t kept = 0;
    int dropped = 0;
    for (const std::string& name : names) {
        std::string next = joined.empty() ? name : joined + "," + name;
        if (next.size() < sizeof q.BestAvailPaperSizes) {
            joined = std::move(next);
            ++kept;
        } else {
            ++dropped;
        }
    }
    setField(q.BestAvailPaperSizes, joined);
    q.BestAvailPaperSizesCnt = kept;
    if (dropped > 0) {
        std::string format = svc.ui.strings().load(str::LogBestAvailCut);
        std::string queue(fieldText(q.Name));
        svc.ui.logError(0, 0, formatMessage(format.c_str(), dropped, queue.c_str()));
    }
    return kept;
}

} // namespace

bool PrepareBestAvailMedia(const Services& svc, QueueRecord& queue, WindowRef owner,
                           std::vector<uint16_t>& available, bool show) {
    const ServerConfig* config = svc.records.config();
    const std::string configDir = config ? std::string(fieldText(config->ConfigDir)) : "";
    const int index = modelIndex(queue);
    uint32_t rc = index >= 0 ? ReadLdpxCfgFile(svc, configDir.c_str(), kPrinterModels[index].key)
                             : kLdpxFailed;
    if (rc == 0) {
        uint16_t count = 0;
        uint16_t ids[kLdpxTableEntries] = {};
        GetLdpxPaperSizes(svc.media.ldpx.get(), config->OdrRelease, count, ids);
        available.assign(ids, ids + std::min<size_t>(count, kLdpxTableEntries));
        if (queue.QDDefaultPaperSize[0] == '\0')
            setField(queue.QDDefaultPaperSize,
                     PaperSizeName(GetLdpxQDDefaultPaperSize(svc.media.ldpx.get())));
        if (queue.PSDefaultPaperSize[0] == '\0')
            setField(queue.PSDefaultPaperSize,
                     PaperSizeName(GetLdpxPSDefaultPaperSize(svc.media.ldpx.get())));
        if (queue.BestAvailPaperSizes[0] == '\0') {
            uint16_t n = 0;
            uint32_t best[kLdpxBestAvailEntries] = {};
            GetLdpxBAPaperSizes(svc.media.ldpx.get(), n, best);
            std::vector<std::string> names;
            for (uint16_t i = 0; i < n && i < kLdpxBestAvailEntries; ++i)
                names.emplace_back(PaperSizeName(static_cast<uint16_t>(best[i])));
            joinNames(svc, queue, names);
        }
        return true;
    }
    if (show)
        ErrorId(svc.ui, owner, str::LdpxReadError);
    else
        svc.ui.logError(0, 0, svc.ui.strings().load(str::LdpxReadError));
    available = {paper::Letter, paper::B, paper::C};
    setField(queue.QDDefaultPaperSize, "C");
    setField(queue.PSDefaultPaperSize, "LETTER");
    setField(queue.BestAvailPaperSizes, "LETTER,B,C");
    queue.BestAvailPaperSizesCnt = 3;
    return false;
}

BestAvailMediaDialog::BestAvailMediaDialog(const Services& svc, Dialog* parent, QueueRecord& queue)
    : MediaDialog(svc, dlg::BestAvailMedia, parent, queue, bestctl::Overscan) {
    fileRead_ = PrepareBestAvailMedia(svc, queue, parent != nullptr ? parent->window() : nullptr,
                                      available_);
}

std::vector<std::string> BestAvailMediaDialog::items(int list) {
    std::vector<std::string> out;
    const int count = getCount(list);
    for (int i = 0; i < count; ++i)
        out.push_back(getText(list, i));
    return out;
}

void BestAvailMediaDialog::refill(int list, int other) {
    resetContent(list);
    for (uint16_t id : available_) {
        std::string name = PaperSizeName(id);
        if (findStringExact(other, -1, name) < 0) addString(list, name);
    }
}

bool BestAvailMediaDialog::onInitDialog() {
    if (!fileRead_) {
        // Nothing to offer: the controls keep their empty state.
        ErrorId(svc_.ui, window(), str::LdpxReadError);
        return true;
    }
    HelpDialog::onInitDialog();
    showTitle(bestctl::QueueName);
    enable(bestctl::EjectTrayLabel, false);
    enable(bestctl::EjectTray, false);
    const std::pair<int, const char*> defaults[] = {{bestctl::QdPaper, queue_.QDDefaultPaperSize},
                                                    {bestctl::PsPaper, queue_.PSDefaultPaperSize}};
    for (auto [combo, value] : defaults) {
        for (uint16_t id : available_)
            addString(combo, PaperSizeName(id));
        setCurSel(combo, findStringExact(combo, -1, value));
    }
    for (std::string_view name : SplitMediaText(fieldText(queue_.BestAvailPaperSizes), " ,"))
        addString(bestctl::Current, std::string(name));
    refill(bestctl::Additional, bestctl::Current);
    checkOverscanText();
    enable(bestctl::Remove, false);
    enable(bestctl::Add, false);
    if (svc_.ui.registryReadOnly())
        applyReadOnlyRegistry();
    else
        setDefaultButton(ctl::Ok);
    return true;
}

void BestAvailMediaDialog::doDataExchange(DataExchange& dx) {
    exchangeOverscan(dx);
}

void BestAvailMediaDialog::selectionChanged(int list) {
    const bool current = list == bestctl::Current;
    setSel(current ? bestctl::Additional : bestctl::Current, -1, false);
    const int button = current ? bestctl::Remove : bestctl::Add;
    enable(button, true);
    enable(current ? bestctl::Add : bestctl::Remove, false);
    setDefaultButton(button);
}

void BestAvailMediaDialog::move(int button, int source, int destination) {
    std::vector<int> selected = getSelItems(source);
    if (selected.size() > 50) selected.resize(50);
    for (int i : selected)
        addString(destination, getText(source, i));
    refill(source, destination);
    if (getCount(source) == 0) {
        enable(button, false);
        setFocus(ctl::Ok);
        setDefaultButton(ctl::Ok);
    } else {
        setSel(source, 0, true);
        enable(button, true);
        setDefaultButton(button);
    }
}

void BestAvailMediaDialog::onCommand(int id, Notify code) {
    const bool current = id == bestctl::Current, additional = id == bestctl::Additional;
    if ((current || additional) && (code == Notify::SelChange || code == Notify::DoubleClicked)) {
        selectionChanged(id);
        if (code == Notify::DoubleClicked)
            onCommand(current ? bestctl::Remove : bestctl::Add, Notify::Clicked);
    } else if (id == bestctl::Remove && code == Notify::Clicked) {
        move(bestctl::Remove, bestctl::Current, bestctl::Additional);
    } else if (id == bestctl::Add && code == Notify::Clicked) {
        move(bestctl::Add, bestctl::Additional, bestctl::Current);
    }
}

void BestAvailMediaDialog::onScroll(int id, Scroll code) {
    if (id == bestctl::OverscanSpin) scrollOverscan(code);
}

void BestAvailMediaDialog::onKillFocus(int id) {
    if (id == bestctl::Current || id == bestctl::Additional)
        setDefaultButton(ctl::Ok);
    else
        MediaDialog::onKillFocus(id);
}

void BestAvailMediaDialog::onOK() {
    if (!updateData(true)) return;
    // Checked before anything is written, so that a cancel afterwards leaves the queue whole.
    if (getCount(bestctl::Current) <= 0) {
        ErrorId(svc_.ui, window(), str::NoBestAvailSize);
        setFocus(bestctl::Additional);
        return;
    }
    queue_.OverscanAmt = overscan_;
    const std::pair<int, char*> defaults[] = {{bestctl::QdPaper, queue_.QDDefaultPaperSize},
                                              {bestctl::PsPaper, queue_.PSDefaultPaperSize}};
    for (auto [combo, field] : defaults) {
        const int sel = getCurSel(combo);
        if (sel >= 0) copyField(field, sizeof queue_.QDDefaultPaperSize, getText(combo, sel));
    }
    joinNames(svc_, queue_, items(bestctl::Current));
    endDialog(id::Ok);
}

} // namespace lntc

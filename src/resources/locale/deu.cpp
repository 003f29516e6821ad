// German resources, built as the module LNT20DEU beside the library. Strings and templates
// left out here come from the built-in English tables.
#include "resources/ids.h"
#include "resources/module_abi.h"
#include "resources/templates.h"

namespace {

using lntc::ControlKind;
namespace cs = lntc::cs;
namespace ds = lntc::ds;
namespace ctl = lntc::ctl;

constexpr uint8_t kind(ControlKind k) {
    return static_cast<uint8_t>(k);
}

constexpr LntcStringResource kStrings[] = {
    {lntc::str::ModelOther, "Andere"},
    {lntc::str::QueueNotFound, "Die Angaben zur Warteschlange %s wurden nicht gefunden."},
    {lntc::str::CancelCaption, "Abbrechen"},
    {lntc::str::CloseCaption, "Schließen"},
    {lntc::str::NoDescription, "<keine Beschreibung>"},
    {lntc::str::TooManyQueues, "Die Höchstzahl von Warteschlangen (%d) ist überschritten."},
    {lntc::str::PaperMediaTitle, "%s – Papier"},
    {lntc::str::PrinterConfigTitle, "%s – Druckerkonfiguration"},
    {lntc::str::WarningCaption, "Konfigurationswarnung"},
    {lntc::str::ErrorCaption, "Konfigurationsfehler"},
    {lntc::str::PathMissing, "Der Pfad '%s' existiert nicht."},
    {lntc::str::PathReadOnly, "Der Pfad '%s' ist schreibgeschützt."},
    {lntc::str::Version, "Version"},
    {lntc::str::DefaultOdrNameCaption, "Standard-ODR-Name"},
    {lntc::str::EnterOdrName, "Bitte geben Sie einen Standard-ODR-Namen ein."},
    {lntc::str::NoPrinters, "Auf dem ODR sind für diesen Druckserver keine Drucker eingerichtet."},
    {lntc::str::DeleteQueue, "Warteschlange %s löschen?"},
    {lntc::str::SelectModel, "Bitte wählen Sie ein Druckermodell."},
};

constexpr uint32_t kFirst = cs::Group | cs::TabStop;

constexpr LntcControlResource kNewQueue[] = {
    {ctl::Static, kind(ControlKind::Static), 0, 7, 9, 80, 8, 0, "Quendal-Warteschlange:"},
    {lntc::newqueuectl::QueueName, kind(ControlKind::Static), 0, 90, 7, 127, 12,
     cs::Sunken | cs::NoPrefix, nullptr},
    {ctl::Static, kind(ControlKind::Static), 0, 7, 30, 210, 48, 0,
     "Wählen Sie ERSTELLEN, um die neue Warteschlange einzurichten.\n\nWählen Sie IMPORTIEREN, "
     "um die neue Warteschlange mit der Konfiguration einer vorhandenen Warteschlange zu "
     "beginnen."},
    {ctl::Ok, kind(ControlKind::DefPushButton), 0, 224, 7, 50, 14, kFirst, "&Erstellen"},
    {lntc::newqueuectl::Import, kind(ControlKind::PushButton), 0, 224, 24, 50, 14, kFirst,
     "&Importieren"},
    {ctl::Cancel, kind(ControlKind::PushButton), 0, 224, 41, 50, 14, kFirst, "Abbrechen"},
    {ctl::Help, kind(ControlKind::PushButton), 0, 224, 65, 50, 14, kFirst, "&Hilfe"},
};

constexpr LntcDialogResource kDialogs[] = {
    {lntc::dlg::NewQueue, 8, 281, 100, ds::Modal | ds::Caption | ds::SysMenu,
     "Neue Quendal-Warteschlange", nullptr, sizeof kNewQueue / sizeof kNewQueue[0], kNewQueue},
};

constexpr LntcResourceTable kTable = {
    LNTC_RESOURCE_ABI_VERSION,
    sizeof kStrings / sizeof kStrings[0],
    kStrings,
    sizeof kDialogs / sizeof kDialogs[0],
    kDialogs,
};

} // namespace

extern "C" LNTC_MODULE_EXPORT const LntcResourceTable* lntc_resources(void) {
    return &kTable;
}

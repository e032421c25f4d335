#include "app/dtaStart.h"

#include "kpsteuer/VSteuerProtokoll.h"
#include "platform/gui/app.h"
#include "platform/gui/boxes.h"
#include "platform/runtime/error.h"
#include "platform/runtime/program.h"

namespace kp {

DtaStart::DtaStart(Window* owner, const std::string& directory) : DtaStartLayout(owner) {
    Center2();
    SetNonResize(false);

    ccUeberschrift->Titel("Versicherungssteuer 2010");
    ccUeberschrift->Refresh();

    for (FixedText* t : {Txt1320.get(), Txt1615.get(), Txt1634.get(), Txt1900.get()})
        t->TextValue("0");
    Balken->Hide();
    TxtDebug->Hide();

    contractServer_ =
        std::make_unique<DBServer>((directory.empty() ? ProgramDir() : directory) + "Vertrag.DBF");
    const VSteuerCounts counts = VSteuerUmstellung(*contractServer_).Count();
    Txt1615->TextValue(std::to_string(counts.row[2]));
    Txt1320->TextValue(std::to_string(counts.row[1]));
    Txt1634->TextValue(std::to_string(counts.row[0]));

    affectedTotal_ = counts.Total();
    if (affectedTotal_ > 0)
        DtaStartLayout::PshBerechnen->Enable();
    else
        DtaStartLayout::PshBerechnen->Disable();
}

DtaStart::~DtaStart() = default;

Symbol DtaStart::ClassName() const {
    return Symbol("DTASTART");
}

Method DtaStart::FindMethod(Symbol name) {
    static const MethodTable<DtaStart> methods{
        {"PshBerechnen", &DtaStart::PshBerechnen},
        {"PshOK", &DtaStart::PshOK},
    };
    if (Method m = methods.Bind(this, name))
        return m;
    return DtaStartLayout::FindMethod(name);
}

void DtaStart::PshBerechnen() {
    if (converting_ || !contractServer_ || affectedTotal_ == 0)
        return;
    Balken->Show();
    Balken->Range(kp::Range(0, 100));
    Balken->SetFocus();
    DtaStartLayout::PshBerechnen->Disable();
    DtaStartLayout::PshOK->Disable();

    progressPosition_ = 0;
    converting_ = true;
    Valid(false);  // greys the close box for the time of the walk

    VSteuerUmstellung walk(*contractServer_);
    // The protocol of what changes, beside the table, as kpsteuer writes it
    // (its "zurueck" puts the old values back). A folder that takes no new
    // file leaves the conversion as it always was, without a protocol.
    std::string protocolError;
    std::unique_ptr<VSteuerProtokoll> protocol =
        VSteuerProtokoll::Create(*contractServer_, ProtokollArt::Anpassen, &protocolError);
    walk.SetJournal(protocol.get());
    VSteuerUmstellung::Result result;
    // A break out of the error handler (a locked or damaged record) ends the
    // walk here: what was converted stays converted, and the user can still
    // end the program.
    const bool completed = BeginSequence([&] {
        result = walk.Convert(affectedTotal_, [this](uint32_t percent) {
            progressPosition_ = percent;
            Balken->Position(static_cast<int>(percent));
            ApplicationExec(EXECWHILEEVENT);
        });
    });
    progressPosition_ = walk.Position();
    if (protocol)
        protocol->Finish();
    converting_ = false;
    Valid(true);

    if (completed && result.skipped == 0) {
        InfoBox(this, "Hinweis",
                "Die Umstellung der Versicherungssteueranpassungen\r\n"
                "wurde erfolgreich durchgeführt!")
            .Show();
    } else if (completed) {
        WarningBox(this, "KONTORPLUS",
                   "Die Umstellung der Versicherungssteueranpassungen\r\n"
                   "wurde nicht vollständig durchgeführt!\r\n"
                   "Nicht angepasste Verträge: " +
                       std::to_string(result.skipped) +
                       "\r\nBitte beheben Sie den gemeldeten Fehler und starten Sie "
                       "das Programm erneut; es passt dann die übrigen Verträge an.")
            .Show();
    }
    DtaStartLayout::PshOK->Enable();
}

void DtaStart::PshOK() {
    if (converting_)
        return;
    if (contractServer_) {
        contractServer_->Close();
        contractServer_.reset();
    }
    EndWindow();
    // Started on its own, the window is the program; opened by a shell, it
    // is one window among others and the shell goes on.
    if (!Owner())
        Quit();
}

void DtaStart::Update() {
    Balken->Position(static_cast<int>(progressPosition_));
    ApplicationExec(EXECWHILEEVENT);
}

bool DtaStart::QueryClose(Event& e) {
    if (converting_)
        return false;
    return DtaStartLayout::QueryClose(e);
}

}  // namespace kp

// The program as far as the single-instance check goes, for the tests to start
// as real processes: a main form whose stored layout holds the component.
//   single_instance_helper [--pass] [--stay] [--two] [ARG...]
// --pass sends the command line to a first instance, --stay keeps a second
// instance running, --two adds a second component to the form. It prints
// "first MARKER" or, as a second instance, "second instance" and then "ends"
// or "runs"; a first instance prints "received TEXT" for each command line it
// is sent, until its standard input closes.
#include "app/Singleappinstance.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Layout.h"

#include <cstdio>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace {

AnsiString LayoutText;
bool Stay = false;
bool SecondSeen = false;

} // namespace

class TfrmProbe : public TForm {
public:
  explicit TfrmProbe(TComponent* AOwner) : TForm(AOwner) {
    ReadComponentLayout(this, LayoutText, "frmProbe.lay");
  }

  TSingleAppInstance* sngleInst = nullptr;
  TSingleAppInstance* sngleInst2 = nullptr;

  void sngleInstSecondInstance(TObject*, bool& ShutDown) {
    std::printf("second instance\n");
    SecondSeen = true;
    ShutDown = !Stay;
  }
  void sngleInstReceiveCommandLine(TObject*, const char* CommandLine) {
    std::printf("received %s\n", CommandLine);
  }
};

WT_DECLARE_META(TfrmProbe)
WT_PUBLISH(TfrmProbe, TForm) {
  p.Field("sngleInst", &TfrmProbe::sngleInst);
  p.Field("sngleInst2", &TfrmProbe::sngleInst2);
  p.Method("sngleInstSecondInstance", &TfrmProbe::sngleInstSecondInstance);
  p.Method("sngleInstReceiveCommandLine", &TfrmProbe::sngleInstReceiveCommandLine);
}

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  bool pass = false, two = false;
  for (int i = 1; i < argc; ++i) {
    pass = pass || std::strcmp(argv[i], "--pass") == 0;
    Stay = Stay || std::strcmp(argv[i], "--stay") == 0;
    two = two || std::strcmp(argv[i], "--two") == 0;
  }
  LayoutText = AnsiString("object frmProbe: TfrmProbe\n") +
               "  object sngleInst: TSingleAppInstance\n" +
               "    PassCommandLine = " + (pass ? "True" : "False") + "\n" +
               "    OnSecondInstance = sngleInstSecondInstance\n" +
               "    OnReceiveCommandLine = sngleInstReceiveCommandLine\n" + "  end\n" +
               (two ? "  object sngleInst2: TSingleAppInstance\n  end\n" : "") + "end\n";

  Application->Initialize();
  TfrmProbe* form = nullptr;
  Application->CreateForm(form);
  if (Application->Terminated()) {
    std::printf("ends\n");
    return 0;
  }
  if (form->sngleInst2 != nullptr)
    std::printf("second component %s\n", form->sngleInst2->Enabled() ? "enabled" : "disabled");
  std::printf("%s %s\n", SecondSeen ? "runs" : "first", form->sngleInst->Marker().c_str());
  for (;;) {
    pollfd in{0, POLLIN, 0};
    char c;
    if (::poll(&in, 1, 20) > 0 && ::read(0, &c, 1) <= 0)
      break;
    Application->ProcessMessages();
  }
  return 0;
}

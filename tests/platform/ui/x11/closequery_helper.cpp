// A program with one main form, for the tests of the ways a program is ended
// from outside. It appends "query" to the file named by its argument each
// time the form's OnCloseQuery runs and "end" when its loop has ended, prints
// "ready" once its window is up, and exits 0 after a normal end.
#include "platform/ui/Forms.h"
#include "platform/ui/Timers.h"

#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3)
    return 2;
  const std::string marker = argv[1];
  Application->Initialize();
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetCaption(argv[2]);
  form->SetBounds(40, 40, 160, 100);
  form->OnCloseQuery = [&](TObject*, bool& canClose) {
    std::ofstream(marker, std::ios::app) << "query\n";
    canClose = true;
  };
  TTimer ready(nullptr);
  ready.SetInterval(300);
  ready.SetOnTimer([&](TObject*) {
    ready.SetEnabled(false);
    std::printf("ready\n");
    std::fflush(stdout);
  });
  Application->Run();
  std::ofstream(marker, std::ios::app) << "end\n";
  return 0;
}

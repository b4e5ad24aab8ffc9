// VYR_ANSWERS: the answers to the operator's questions when nobody can be
// asked. Whatever the text, a Yes needs a yes-word in it.
#include <cstring>
#include <string>

#include "framework/afx.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::TheDisk();
  const std::string answers(reinterpret_cast<const char*>(data), size);
  UiSetAnswers(answers.c_str());
  const bool anyYesWord = answers.find_first_of("yY1") != std::string::npos;
  for (unsigned number : {0u, 1u, 2026u, 2027u, 999999999u, 4294967295u}) {
    if (UiAnswerFor(number) && !anyYesWord) fuzz::Fail("a Yes from no yes-word");
  }
  // The question the job asks, through the message box.
  AfxMessageBox(2026, MB_YESNO);
  return 0;
}

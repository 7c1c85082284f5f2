#pragma once
// The window model names windows as Form1 to Form8 and labels as in their window's declaration
// (LabelN is N, Image1 is 0); this table ties each to the program's own window and label, for
// the host tests that hold the headless program against the model and for the model's process
// (oracle/model_oracle.cpp) that names the labels as a screen reader hears them.

#include <iterator>

#include "app/program.h"
#include "app/splash_window.h"
#include "calculator/main_window.h"
#include "window_model.h"
#include "windows/confirmation_window.h"
#include "windows/credit_window.h"
#include "windows/formation_window.h"
#include "windows/help_window.h"
#include "windows/reminder_window.h"
#include "windows/terms_window.h"

namespace amorix::testing {

template <class W>
Form* Find(const WindowRegistry& registry) {
  return registry.Find<W>();
}
template <class W>
Form* Get(WindowRegistry& registry) {
  return &registry.Get<W>();
}
// Form1 to Form8, in the model's order: the loaded instance or null, and the instance made.
inline constexpr Form* (*kFinders[])(const WindowRegistry&) = {
    &Find<Form1>, &Find<Form2>, &Find<Form3>, &Find<Form4>,
    &Find<Form5>, &Find<Form6>, &Find<Form7>, &Find<Form8>};
inline constexpr Form* (*kMakers[])(WindowRegistry&) = {&Get<Form1>, &Get<Form2>, &Get<Form3>,
                                                        &Get<Form4>, &Get<Form5>, &Get<Form6>,
                                                        &Get<Form7>, &Get<Form8>};

inline Form* FormOf(Program& program, model::Win w) {
  return kFinders[model::Index(w)](program.windows());
}

inline constexpr const char* kWindowNames[] = {"Main",   "Reminder",  "Credit",       "Help",
                                               "Splash", "Formation", "Confirmation", "Terms"};

template <class W, Label W::*member>
Label& Member(Form& form) {
  return static_cast<W&>(form).*member;
}

// Every label of every window, each by its model id.
struct LabelRef {
  model::Win window;
  int id;
  Label& (*get)(Form&);
};
using model::Win;
inline constexpr LabelRef kLabels[] = {
    {Win::kMain, model::kImage1, &Member<Form1, &Form1::Image1>},
    {Win::kMain, 1, &Member<Form1, &Form1::Label1>},
    {Win::kMain, 3, &Member<Form1, &Form1::Label3>},
    {Win::kMain, 7, &Member<Form1, &Form1::Label7>},
    {Win::kMain, 8, &Member<Form1, &Form1::Label8>},
    {Win::kMain, 9, &Member<Form1, &Form1::Label9>},
    {Win::kReminder, 1, &Member<Form2, &Form2::Label1>},
    {Win::kReminder, 2, &Member<Form2, &Form2::Label2>},
    {Win::kReminder, 3, &Member<Form2, &Form2::Label3>},
    {Win::kReminder, 4, &Member<Form2, &Form2::Label4>},
    {Win::kCredit, 4, &Member<Form3, &Form3::Label4>},
    {Win::kHelp, 1, &Member<Form4, &Form4::Label1>},
    {Win::kHelp, 2, &Member<Form4, &Form4::Label2>},
    {Win::kHelp, 3, &Member<Form4, &Form4::Label3>},
    {Win::kHelp, 4, &Member<Form4, &Form4::Label4>},
    {Win::kHelp, 5, &Member<Form4, &Form4::Label5>},
    {Win::kHelp, 6, &Member<Form4, &Form4::Label6>},
    {Win::kSplash, 1, &Member<Form5, &Form5::Label1>},
    {Win::kFormation, 1, &Member<Form6, &Form6::Label1>},
    {Win::kConfirmation, 1, &Member<Form7, &Form7::Label1>},
    {Win::kConfirmation, 2, &Member<Form7, &Form7::Label2>},
    {Win::kConfirmation, 3, &Member<Form7, &Form7::Label3>},
    {Win::kConfirmation, 4, &Member<Form7, &Form7::Label4>},
    {Win::kTerms, 1, &Member<Form8, &Form8::Label1>},
    {Win::kTerms, 4, &Member<Form8, &Form8::Label4>},
    {Win::kTerms, 9, &Member<Form8, &Form8::Label9>},
};
inline constexpr int kLabelCount = static_cast<int>(std::size(kLabels));

}  // namespace amorix::testing

#include "app/window_registry.h"

#include "app/splash_window.h"
#include "calculator/main_window.h"
#include "windows/confirmation_window.h"
#include "windows/credit_window.h"
#include "windows/formation_window.h"
#include "windows/help_window.h"
#include "windows/reminder_window.h"
#include "windows/terms_window.h"

namespace amorix {

WindowRegistry::WindowRegistry(Program& program) : program_(program) {}
WindowRegistry::~WindowRegistry() = default;

template <class W>
W& WindowRegistry::Get() {
  auto& slot = std::get<std::unique_ptr<W>>(slots_);
  if (!slot) slot = std::make_unique<W>(program_);
  return *slot;
}

template <class W>
W* WindowRegistry::Find() const {
  return std::get<std::unique_ptr<W>>(slots_).get();
}

bool WindowRegistry::AnyLoaded() const {
  return std::apply([](const auto&... slot) { return ((slot && slot->Loaded()) || ...); }, slots_);
}

template Form1& WindowRegistry::Get<Form1>();
template Form2& WindowRegistry::Get<Form2>();
template Form3& WindowRegistry::Get<Form3>();
template Form4& WindowRegistry::Get<Form4>();
template Form5& WindowRegistry::Get<Form5>();
template Form6& WindowRegistry::Get<Form6>();
template Form7& WindowRegistry::Get<Form7>();
template Form8& WindowRegistry::Get<Form8>();
template Form1* WindowRegistry::Find<Form1>() const;
template Form2* WindowRegistry::Find<Form2>() const;
template Form3* WindowRegistry::Find<Form3>() const;
template Form4* WindowRegistry::Find<Form4>() const;
template Form5* WindowRegistry::Find<Form5>() const;
template Form6* WindowRegistry::Find<Form6>() const;
template Form7* WindowRegistry::Find<Form7>() const;
template Form8* WindowRegistry::Find<Form8>() const;

}  // namespace amorix

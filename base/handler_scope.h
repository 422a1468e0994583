// DetachedHandler: takes an assignable handler (an event member such as OnChange or
// AfterScroll) away for the life of the scope and puts it back when the scope ends, also when
// an exception leaves it. Code that fills controls or moves a dataset by itself uses it, so
// the filling is not taken for the operator's doing:
//
//   DetachedHandler quiet(medHoraIni->OnChange);
//   medHoraIni->SetText("09:00");
#pragma once

#include <utility>

template <class Handler>
class DetachedHandler {
  public:
    explicit DetachedHandler(Handler& slot) : m_slot(slot), m_saved(std::exchange(slot, nullptr)) {}
    ~DetachedHandler() { m_slot = std::move(m_saved); }
    DetachedHandler(const DetachedHandler&) = delete;
    DetachedHandler& operator=(const DetachedHandler&) = delete;

  private:
    Handler& m_slot;
    Handler m_saved;
};

#include "hardware/driver_paths.h"

namespace vesk {

DriverPaths::DriverPaths(DriverAccess& libraries, PawnIoLibrary* pawnio, OsServices& os)
    : libraries_(libraries), pawnio_(pawnio ? std::make_unique<PawnIoPath>(*pawnio, os) : nullptr) {}

bool DriverPaths::OpenPawnIoSmbus() {
  pawnioOpen_ = pawnio_ && pawnio_->OpenSmbus();
  return pawnioOpen_;
}

bool DriverPaths::OpenPawnIoSuperIo() { return pawnioOpen_ && pawnio_->OpenSuperIo(); }

void DriverPaths::ClosePawnIo() {
  if (pawnio_) pawnio_->Close();
  pawnioOpen_ = false;
}

BusTransfers* DriverPaths::Transfers() {
  // Before the choice the SMBus module already answers (start-up asks it
  // whether the micro-controller is there); after it, only when chosen.
  const bool pawnio = path_ == DriverPath::PawnIo || (path_ == DriverPath::None && pawnioOpen_);
  return pawnio && pawnioOpen_ ? pawnio_.get() : nullptr;
}

void DriverPaths::DeinitializeOls() {
  if (path_ == DriverPath::PawnIo) {
    ClosePawnIo();
  } else {
    libraries_.DeinitializeOls();
  }
}

void DriverPaths::ShutdownWinIo() {
  if (path_ != DriverPath::PawnIo) libraries_.ShutdownWinIo();
}

}  // namespace vesk

#include "pttswitch/hamlib_rig_control.h"

#include <hamlib/rig.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

namespace mosaic {

namespace {

// A reply slower than this means the rig or rigctld is not answering; the window waits for it.
constexpr char kTimeoutMs[] = "1000";

// Hamlib's short text for an error code, without its trailing line break.
std::string errorText(int code) {
  std::string text = rigerror2(code);
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// True for the codes that mean the rig or rigctld could not be reached at all.
bool isConnectionError(int code) {
  const int error = code < 0 ? -code : code;
  return error == RIG_EIO || error == RIG_ETIMEOUT || error == RIG_EPROTO || error == RIG_BUSERROR;
}

bool setConf(RIG* rig, const char* name, const std::string& value) {
  const token_t token = rig_token_lookup(rig, name);
  return token != RIG_CONF_END && rig_set_conf(rig, token, value.c_str()) == RIG_OK;
}

std::string placeName(const RigAddress& address) {
  return address.model == kRigctldModel
             ? "rigctld at " + address.pathname
             : "rig model " + std::to_string(address.model) + " on " + address.pathname;
}

// A rigctld that has only just started, or has just seen another client leave, can drop a new
// connection at its first question; one more attempt a moment later then finds it ready.
int openRig(RIG* rig, bool throughRigctld) {
  int result = rig_open(rig);
  if (throughRigctld && isConnectionError(result)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    result = rig_open(rig);
  }
  return result;
}

}  // namespace

HamlibRigControl::HamlibRigControl() {
  rig_set_debug(RIG_DEBUG_NONE);
  std::signal(SIGPIPE, SIG_IGN);
}

HamlibRigControl::~HamlibRigControl() { close(); }

bool HamlibRigControl::open(const RigAddress& address, std::string& whyNot) {
  close();
  // Hamlib waits two seconds for a serial device that is not there (a USB adapter plugged in
  // late); while a pulled adapter is retried every second, that would freeze the window.
  if (address.model != kRigctldModel && !address.pathname.empty() &&
      address.pathname.front() == '/' && ::access(address.pathname.c_str(), F_OK) != 0) {
    whyNot = "There is no device " + address.pathname + ".";
    return false;
  }
  RIG* rig = rig_init(address.model);
  if (rig == nullptr) {
    whyNot = "Hamlib knows no rig model " + std::to_string(address.model) + ".";
    return false;
  }
  const bool configured =
      setConf(rig, "rig_pathname", address.pathname) && setConf(rig, "timeout", kTimeoutMs) &&
      setConf(rig, "retry", "0") &&
      (address.baudRate == 0 || setConf(rig, "serial_speed", std::to_string(address.baudRate)));
  if (!configured) {
    whyNot = "Hamlib does not accept the settings for " + placeName(address) + ".";
    rig_cleanup(rig);
    return false;
  }
  // Every question goes to the rig: a remembered answer would hide a lost connection.
  rig_set_cache_timeout_ms(rig, HAMLIB_CACHE_ALL, 0);
  if (const int result = openRig(rig, address.model == kRigctldModel); result != RIG_OK) {
    whyNot = "Hamlib cannot open " + placeName(address) + ": " + errorText(result) + ".";
    rig_cleanup(rig);
    return false;
  }
  rig_ = rig;
  throughRigctld_ = address.model == kRigctldModel;
  return true;
}

bool HamlibRigControl::isOpen() const { return rig_ != nullptr; }

bool HamlibRigControl::setPtt(bool keyed, std::string& refusal) {
  if (rig_ == nullptr) return false;
  const int result = rig_set_ptt(rig_, RIG_VFO_CURR, keyed ? RIG_PTT_ON : RIG_PTT_OFF);
  if (isConnectionError(result)) return false;
  if (result != RIG_OK) {
    refusal = "The radio did not accept the command to " + std::string(keyed ? "key" : "unkey") +
              ": " + errorText(result) + ".";
    // rigctld keys only when it has been told how (its -P option; "-P RIG" for CAT).
    if (throughRigctld_) refusal += " Is rigctld started with the radio's keying method (-P)?";
  }
  return true;
}

PttReading HamlibRigControl::readPtt() {
  if (rig_ == nullptr) return PttReading::Unreachable;
  ptt_t ptt = RIG_PTT_OFF;
  const int result = rig_get_ptt(rig_, RIG_VFO_CURR, &ptt);
  if (result != RIG_OK) {
    return isConnectionError(result) ? PttReading::Unreachable : PttReading::Unknown;
  }
  return ptt == RIG_PTT_OFF ? PttReading::Unkeyed : PttReading::Keyed;
}

void HamlibRigControl::close() {
  if (rig_ == nullptr) return;
  rig_close(rig_);
  rig_cleanup(rig_);
  rig_ = nullptr;
}

}  // namespace mosaic

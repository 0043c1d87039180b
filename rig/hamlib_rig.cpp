#include "rig/hamlib_rig.h"

#include <hamlib/rig.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

namespace mosaic {

namespace {

// A reply slower than this means the rig or rigctld is not answering.
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

RigAnswer answerFor(int code, std::string& why) {
  if (code == RIG_OK) return RigAnswer::Done;
  if (isConnectionError(code)) return RigAnswer::Unreachable;
  why = errorText(code);
  return RigAnswer::Refused;
}

bool setConf(RIG* rig, const char* name, const std::string& value) {
  const token_t token = rig_token_lookup(rig, name);
  return token != RIG_CONF_END && rig_set_conf(rig, token, value.c_str()) == RIG_OK;
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

HamlibRig::HamlibRig() {
  rig_set_debug(RIG_DEBUG_NONE);
  std::signal(SIGPIPE, SIG_IGN);
}

HamlibRig::~HamlibRig() { close(); }

bool HamlibRig::open(const RigAddress& address, std::string& whyNot) {
  close();
  // Hamlib waits two seconds for a serial device that is not there (a USB adapter plugged in
  // late); a caller that retries every second would spend its time waiting.
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
    whyNot = "Hamlib does not accept the settings for " + rigPlaceName(address) + ".";
    rig_cleanup(rig);
    return false;
  }
  // Every question goes to the rig: a remembered answer would hide a lost connection.
  rig_set_cache_timeout_ms(rig, HAMLIB_CACHE_ALL, 0);
  if (const int result = openRig(rig, address.model == kRigctldModel); result != RIG_OK) {
    whyNot = "Hamlib cannot open " + rigPlaceName(address) + ": " + errorText(result) + ".";
    rig_cleanup(rig);
    return false;
  }
  rig_ = rig;
  throughRigctld_ = address.model == kRigctldModel;
  return true;
}

void HamlibRig::close() {
  if (rig_ == nullptr) return;
  rig_close(rig_);
  rig_cleanup(rig_);
  rig_ = nullptr;
}

RigAnswer HamlibRig::setPtt(bool keyed, std::string& why) {
  if (rig_ == nullptr) return RigAnswer::Unreachable;
  return answerFor(rig_set_ptt(rig_, RIG_VFO_CURR, keyed ? RIG_PTT_ON : RIG_PTT_OFF), why);
}

RigAnswer HamlibRig::readPtt(bool& keyed) {
  if (rig_ == nullptr) return RigAnswer::Unreachable;
  ptt_t ptt = RIG_PTT_OFF;
  std::string why;
  const RigAnswer answer = answerFor(rig_get_ptt(rig_, RIG_VFO_CURR, &ptt), why);
  if (answer == RigAnswer::Done) keyed = ptt != RIG_PTT_OFF;
  return answer;
}

RigAnswer HamlibRig::readDial(DialReading& dial, std::string& why) {
  if (rig_ == nullptr) return RigAnswer::Unreachable;
  freq_t frequency = 0;
  if (const RigAnswer answer = answerFor(rig_get_freq(rig_, RIG_VFO_CURR, &frequency), why);
      answer != RigAnswer::Done) {
    return answer;
  }
  rmode_t mode = RIG_MODE_NONE;
  pbwidth_t width = 0;
  if (const RigAnswer answer = answerFor(rig_get_mode(rig_, RIG_VFO_CURR, &mode, &width), why);
      answer != RigAnswer::Done) {
    return answer;
  }
  dial.frequencyHz = static_cast<double>(frequency);
  const char* modeName = rig_strrmode(mode);
  dial.mode = modeName ? modeName : "";
  return RigAnswer::Done;
}

}  // namespace mosaic

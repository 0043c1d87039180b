// A qemu-user plugin that counts the guest instructions a program executes, for estimating how
// long its work takes on a real arm64 processor. Built for this machine, not for arm64:
//   cc -shared -fPIC -O2 -o count-instructions.so count_instructions.c
//   qemu-aarch64 -plugin ./count-instructions.so PROGRAM ARGS...   prints "instructions: N"
// Only the few entry points of qemu's plugin interface (version 1, qemu 7) that it needs are
// declared here.
#include <inttypes.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

typedef uint64_t qemu_plugin_id_t;
struct qemu_plugin_tb;
typedef struct qemu_info_t qemu_info_t;
enum qemu_plugin_op { QEMU_PLUGIN_INLINE_ADD_U64 };

extern void qemu_plugin_register_vcpu_tb_trans_cb(qemu_plugin_id_t id,
                                                  void (*cb)(qemu_plugin_id_t,
                                                             struct qemu_plugin_tb*));
extern size_t qemu_plugin_tb_n_insns(const struct qemu_plugin_tb* tb);
extern void qemu_plugin_register_vcpu_tb_exec_inline(struct qemu_plugin_tb* tb,
                                                     enum qemu_plugin_op op, void* ptr,
                                                     uint64_t imm);
extern void qemu_plugin_register_atexit_cb(qemu_plugin_id_t id, void (*cb)(qemu_plugin_id_t, void*),
                                           void* userdata);

__attribute__((visibility("default"))) int qemu_plugin_version = 1;

static uint64_t executed;

static void translated(qemu_plugin_id_t id, struct qemu_plugin_tb* tb) {
  (void)id;
  qemu_plugin_register_vcpu_tb_exec_inline(tb, QEMU_PLUGIN_INLINE_ADD_U64, &executed,
                                           qemu_plugin_tb_n_insns(tb));
}

static void finished(qemu_plugin_id_t id, void* unused) {
  (void)id;
  (void)unused;
  fprintf(stderr, "instructions: %" PRIu64 "\n", executed);
}

__attribute__((visibility("default"))) int qemu_plugin_install(qemu_plugin_id_t id,
                                                               const qemu_info_t* info, int argc,
                                                               char** argv) {
  (void)info;
  (void)argc;
  (void)argv;
  qemu_plugin_register_vcpu_tb_trans_cb(id, translated);
  qemu_plugin_register_atexit_cb(id, finished, NULL);
  return 0;
}

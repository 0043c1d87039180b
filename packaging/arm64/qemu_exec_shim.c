// Loaded into arm64 programs that run under qemu-user on another machine, so that they can start
// other programs as they would on an arm64 machine:
// - Qt starts child processes with pidfds when waitid() accepts P_PIDFD, but this qemu refuses
//   clone() with CLONE_PIDFD; answering the probe as an older kernel would makes Qt use fork().
// - Without the kernel's help (binfmt_misc), an arm64 program cannot be executed directly: each
//   exec of one becomes an exec of qemu with the program as its argument.
// The preload itself is given to qemu for its guest only (QEMU_SET_ENV), so it is taken out of
// the environment of every program started from here.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <elf.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef P_PIDFD
#define P_PIDFD 3
#endif

extern char** environ;

long syscall(long number, ...) {
  va_list ap;
  va_start(ap, number);
  long a[6];
  for (int i = 0; i < 6; ++i) a[i] = va_arg(ap, long);
  va_end(ap);
  if (number == SYS_waitid && a[0] == P_PIDFD) {
    errno = EINVAL;
    return -1;
  }
  static long (*real)(long, ...);
  if (!real) real = (long (*)(long, ...))dlsym(RTLD_NEXT, "syscall");
  return real(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}

static int isArm64Program(const char* path) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  Elf64_Ehdr header;
  const ssize_t n = read(fd, &header, sizeof header);
  close(fd);
  return n == (ssize_t)sizeof header && memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
         header.e_machine == EM_AARCH64;
}

// The environment without the preload.
static char** withoutPreload(char* const envp[]) {
  size_t count = 0;
  while (envp && envp[count]) ++count;
  char** out = calloc(count + 1, sizeof *out);
  if (!out) return (char**)envp;
  size_t kept = 0;
  for (size_t i = 0; i < count; ++i) {
    if (strncmp(envp[i], "LD_PRELOAD=", 11) != 0) out[kept++] = envp[i];
  }
  return out;
}

static int execProgram(const char* path, char* const argv[], char* const envp[]) {
  static int (*real)(const char*, char* const[], char* const[]);
  if (!real) real = (int (*)(const char*, char* const[], char* const[]))dlsym(RTLD_NEXT, "execve");
  char** env = withoutPreload(envp);
  const char* qemu = getenv("MOSAIC_QEMU");
  if (!qemu || !isArm64Program(path)) return real(path, argv, env);
  size_t count = 0;
  while (argv[count]) ++count;
  char** args = calloc(count + 4, sizeof *args);
  if (!args) {
    errno = ENOMEM;
    return -1;
  }
  args[0] = (char*)qemu;
  args[1] = "-0";
  args[2] = argv[0] ? argv[0] : (char*)path;
  args[3] = (char*)path;
  for (size_t i = 1; i < count; ++i) args[3 + i] = argv[i];
  return real(qemu, args, env);
}

int execve(const char* path, char* const argv[], char* const envp[]) {
  return execProgram(path, argv, envp);
}

int execv(const char* path, char* const argv[]) { return execProgram(path, argv, environ); }

int execvpe(const char* file, char* const argv[], char* const envp[]) {
  if (strchr(file, '/')) return execProgram(file, argv, envp);
  const char* path = getenv("PATH");
  if (!path) path = "/usr/local/bin:/usr/bin:/bin";
  char candidate[PATH_MAX];
  for (const char* dir = path; *dir;) {
    const char* end = strchr(dir, ':');
    const size_t length = end ? (size_t)(end - dir) : strlen(dir);
    if (length + strlen(file) + 2 <= sizeof candidate) {
      memcpy(candidate, dir, length);
      candidate[length] = '/';
      strcpy(candidate + length + 1, file);
      if (access(candidate, X_OK) == 0) return execProgram(candidate, argv, envp);
    }
    dir = end ? end + 1 : dir + length;
  }
  errno = ENOENT;
  return -1;
}

int execvp(const char* file, char* const argv[]) { return execvpe(file, argv, environ); }

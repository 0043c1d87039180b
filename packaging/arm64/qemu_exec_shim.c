// Loaded into arm64 programs that run under qemu-user on another machine, so that they can start
// other programs as they would on an arm64 machine:
// - Qt starts child processes with pidfds when waitid() accepts P_PIDFD, but this qemu refuses
//   clone() with CLONE_PIDFD; answering the probe as an older kernel would makes Qt use fork().
// - Without the kernel's help (binfmt_misc), an arm64 program cannot be executed directly: each
//   exec of one becomes an exec of qemu with the program as its argument.
// - posix_spawn() learns that its exec failed from the child, through memory the two share
//   (clone with CLONE_VM | CLONE_VFORK); qemu runs that clone as a plain fork, so the failure
//   never reaches the caller, whose child just ends with status 127. The failures the kernel
//   would give for a program that is missing or may not be run are found beforehand instead.
// - qemu catches SIGTERM on the host from its own start, so the host cannot see when the
//   program takes SIGTERM over. Where MOSAIC_SIGTERM_MARKS names a folder, a file named after
//   the process id is made there once the program installs a SIGTERM handler of its own.
// The preload itself is given to qemu for its guest only (QEMU_SET_ENV), so it is taken out of
// the environment of every program started from here.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <elf.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <spawn.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
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

static void markSigtermTaken(void) {
  const char* folder = getenv("MOSAIC_SIGTERM_MARKS");
  if (!folder) return;
  char path[PATH_MAX];
  if (snprintf(path, sizeof path, "%s/%ld", folder, (long)getpid()) >= (int)sizeof path) return;
  const int fd = open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd >= 0) close(fd);
}

int sigaction(int sig, const struct sigaction* act, struct sigaction* old) {
  static int (*real)(int, const struct sigaction*, struct sigaction*);
  if (!real)
    real = (int (*)(int, const struct sigaction*, struct sigaction*))dlsym(RTLD_NEXT, "sigaction");
  const int result = real(sig, act, old);
  if (result == 0 && sig == SIGTERM && act && act->sa_handler != SIG_DFL &&
      act->sa_handler != SIG_IGN)
    markSigtermTaken();
  return result;
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

// The first file named `file` in a folder of PATH that passes `accepted`, into `candidate`.
static int searchPath(const char* file, char candidate[PATH_MAX], int (*accepted)(const char*)) {
  const char* path = getenv("PATH");
  if (!path) path = "/usr/local/bin:/usr/bin:/bin";
  for (const char* dir = path; *dir;) {
    const char* end = strchr(dir, ':');
    const size_t length = end ? (size_t)(end - dir) : strlen(dir);
    if (length + strlen(file) + 2 <= PATH_MAX) {
      memcpy(candidate, dir, length);
      candidate[length] = '/';
      strcpy(candidate + length + 1, file);
      if (accepted(candidate)) return 1;
    }
    dir = end ? end + 1 : dir + length;
  }
  return 0;
}

static int runnable(const char* path) { return access(path, X_OK) == 0; }
static int present(const char* path) { return access(path, F_OK) == 0; }

int execvpe(const char* file, char* const argv[], char* const envp[]) {
  if (strchr(file, '/')) return execProgram(file, argv, envp);
  char candidate[PATH_MAX];
  if (searchPath(file, candidate, runnable)) return execProgram(candidate, argv, envp);
  errno = ENOENT;
  return -1;
}

int execvp(const char* file, char* const argv[]) { return execvpe(file, argv, environ); }

// What exec would fail with for `path` as far as it can be seen beforehand, or 0.
static int spawnFailure(const char* path) {
  struct stat status;
  if (stat(path, &status) != 0) return errno;
  if (!S_ISREG(status.st_mode) || access(path, X_OK) != 0) return EACCES;
  return 0;
}

typedef int (*Spawn)(pid_t*, const char*, const posix_spawn_file_actions_t*,
                     const posix_spawnattr_t*, char* const[], char* const[]);

static int spawnWithoutPreload(Spawn real, pid_t* pid, const char* path,
                               const posix_spawn_file_actions_t* actions,
                               const posix_spawnattr_t* attributes, char* const argv[],
                               char* const envp[]) {
  char** env = withoutPreload(envp);
  const int result = real(pid, path, actions, attributes, argv, env);
  if (env != (char**)envp) free(env);
  return result;
}

int posix_spawn(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
                const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]) {
  static Spawn real;
  if (!real) real = dlsym(RTLD_NEXT, "posix_spawn");
  const int failure = spawnFailure(path);
  return failure ? failure : spawnWithoutPreload(real, pid, path, actions, attributes, argv, envp);
}

int posix_spawnp(pid_t* pid, const char* file, const posix_spawn_file_actions_t* actions,
                 const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]) {
  static Spawn real;
  if (!real) real = dlsym(RTLD_NEXT, "posix_spawnp");
  char candidate[PATH_MAX];
  int failure = 0;
  if (strchr(file, '/'))
    failure = spawnFailure(file);
  else if (!searchPath(file, candidate, runnable))
    failure = searchPath(file, candidate, present) ? EACCES : ENOENT;
  return failure ? failure : spawnWithoutPreload(real, pid, file, actions, attributes, argv, envp);
}

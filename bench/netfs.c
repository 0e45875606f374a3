// netfs: a pass-through FUSE file system that stands in for a network drive in the benchmark.
// Every request waits a set time before it is served (the round trip of a network drive), and
// every request is counted by kind and by the process that made it, so that a run's file-system
// calls can be read off per copied file.
//
//   netfs MOUNTPOINT --store=DIR [--latency=MS] [--data-latency=MS] [--cache=SECONDS]
//         [--stats=FILE] [--trace=FILE] [-f] [other FUSE options]
//
// --store         the folder that holds the files (the drive's contents); it must not lie below
//                 MOUNTPOINT
// --latency       wait before each request that is not a read or a write of data (default 1 ms)
// --data-latency  wait before each read and write (default 0)
// --cache         how long the kernel may keep names and attributes it was given (default 1 s,
//                 as a Linux network client keeps them); names that were not found are never
//                 kept, so every look-up of a name that is not there reaches the drive
// --stats         where SIGUSR1 writes the counts since the start or the last SIGUSR1 (then
//                 zeroed): "caller<TAB>operation<TAB>count" lines, caller being the name of the
//                 process (wineserver, the program, ...)
// --trace         one line per request: seconds, thread, process, operation, path
//
// The kernel asks for the "security.capability" attribute before every write to a file; a
// network drive's own client has no such round trip, so that question is answered at once and
// counted as "getxattr-security".
#define FUSE_USE_VERSION 31
#define _GNU_SOURCE

#include <fuse.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <stdatomic.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#define OPS(X) \
    X(getattr) X(access) X(readlink) X(opendir) X(readdir) X(releasedir) X(mkdir) X(unlink) \
    X(rmdir) X(symlink) X(rename) X(link) X(chmod) X(chown) X(truncate) X(utimens) X(create) \
    X(open) X(read) X(write) X(statfs) X(flush) X(release) X(fsync) X(fsyncdir) X(fallocate) \
    X(getxattr) X(getxattr_security) X(setxattr) X(listxattr) X(removexattr) X(lseek) X(mknod)

enum Op {
#define X(name) OP_##name,
    OPS(X)
#undef X
    OP_COUNT
};

static const char* const op_names[] = {
#define X(name) #name,
    OPS(X)
#undef X
};

static struct {
    char* store;
    char* stats;
    char* trace;
    double latency_ms;
    double data_latency_ms;
    double cache_s;
} options = {NULL, NULL, NULL, 1.0, 0.0, 1.0};

static int root_fd = -1;
static FILE* trace_file;
static pthread_mutex_t trace_lock = PTHREAD_MUTEX_INITIALIZER;
static struct timespec started;

// Counts per caller (the process's name) and operation.
#define MAX_CALLERS 32
static struct {
    char name[16];
    atomic_ulong count[OP_COUNT];
} callers[MAX_CALLERS];
static atomic_int caller_count;
static pthread_mutex_t caller_lock = PTHREAD_MUTEX_INITIALIZER;

// Requests in progress at once: the most, and their sum at each start (for the mean).
static atomic_int in_flight;
static atomic_int max_in_flight;
static atomic_ulong in_flight_sum;
static atomic_ulong requests;

// Thread id -> caller slot, so that /proc is read once per thread.
#define TID_CACHE 4096
static struct {
    pid_t tid;
    int slot;
} tid_cache[TID_CACHE];

static int caller_slot(const char* name) {
    pthread_mutex_lock(&caller_lock);
    int n = atomic_load(&caller_count);
    for (int i = 0; i < n; ++i) {
        if (strcmp(callers[i].name, name) == 0) {
            pthread_mutex_unlock(&caller_lock);
            return i;
        }
    }
    int slot = n < MAX_CALLERS ? n : MAX_CALLERS - 1;
    if (n < MAX_CALLERS) {
        snprintf(callers[slot].name, sizeof callers[slot].name, "%.15s", name);
        atomic_store(&caller_count, n + 1);
    }
    pthread_mutex_unlock(&caller_lock);
    return slot;
}

// The name of the process a thread belongs to: the first thread's name of its thread group.
static void process_name(pid_t tid, char* name, size_t size) {
    snprintf(name, size, "%s", tid == 0 ? "kernel" : "?");
    if (tid == 0) return;
    char path[64], line[256];
    snprintf(path, sizeof path, "/proc/%d/status", (int)tid);
    FILE* f = fopen(path, "r");
    if (!f) return;
    pid_t tgid = tid;
    while (fgets(line, sizeof line, f))
        if (sscanf(line, "Tgid: %d", &tgid) == 1) break;
    fclose(f);
    snprintf(path, sizeof path, "/proc/%d/comm", (int)tgid);
    f = fopen(path, "r");
    if (!f) return;
    if (fgets(line, sizeof line, f)) {
        line[strcspn(line, "\n")] = 0;
        snprintf(name, size, "%.15s", line);
    }
    fclose(f);
}

static pthread_mutex_t tid_lock = PTHREAD_MUTEX_INITIALIZER;

static int slot_of(pid_t tid, char* name, size_t size) {
    unsigned h = (unsigned)tid % TID_CACHE;
    pthread_mutex_lock(&tid_lock);
    if (tid_cache[h].tid == tid && tid != 0) {
        int slot = tid_cache[h].slot;
        pthread_mutex_unlock(&tid_lock);
        if (name) snprintf(name, size, "%s", callers[slot].name);
        return slot;
    }
    pthread_mutex_unlock(&tid_lock);
    char buffer[64];
    process_name(tid, buffer, sizeof buffer);
    int slot = caller_slot(buffer);
    pthread_mutex_lock(&tid_lock);
    tid_cache[h].tid = tid;
    tid_cache[h].slot = slot;
    pthread_mutex_unlock(&tid_lock);
    if (name) snprintf(name, size, "%s", buffer);
    return slot;
}

static void wait_ms(double ms) {
    if (ms <= 0) return;
    struct timespec t = {(time_t)(ms / 1000), (long)((ms - 1000 * (time_t)(ms / 1000)) * 1e6)};
    while (nanosleep(&t, &t) == -1 && errno == EINTR) {
    }
}

// Counts the request and waits its latency; end() closes it.
static void begin(enum Op op, const char* path) {
    int now = atomic_fetch_add(&in_flight, 1) + 1;
    int seen = atomic_load(&max_in_flight);
    while (now > seen && !atomic_compare_exchange_weak(&max_in_flight, &seen, now)) {
    }
    atomic_fetch_add(&in_flight_sum, (unsigned long)now);
    atomic_fetch_add(&requests, 1);
    struct fuse_context* context = fuse_get_context();
    pid_t tid = context ? context->pid : 0;
    char name[64];
    int slot = slot_of(tid, trace_file ? name : NULL, sizeof name);
    atomic_fetch_add(&callers[slot].count[op], 1);
    if (trace_file) {
        struct timespec t;
        clock_gettime(CLOCK_MONOTONIC, &t);
        double s = (t.tv_sec - started.tv_sec) + (t.tv_nsec - started.tv_nsec) / 1e9;
        pthread_mutex_lock(&trace_lock);
        fprintf(trace_file, "%.6f\t%d\t%s\t%s\t%s\n", s, (int)tid, name, op_names[op], path ? path : "-");
        pthread_mutex_unlock(&trace_lock);
    }
    if (op == OP_read || op == OP_write) wait_ms(options.data_latency_ms);
    else if (op != OP_getxattr_security && op != OP_release && op != OP_releasedir) wait_ms(options.latency_ms);
}

static int end(int result) {
    atomic_fetch_sub(&in_flight, 1);
    return result;
}

#define ERR(call) ((call) == -1 ? -errno : 0)

// The store's relative name of a path of the mount.
static const char* rel(const char* path) {
    while (*path == '/') ++path;
    return *path ? path : ".";
}

static char* full_path(const char* path, char* buffer, size_t size) {
    snprintf(buffer, size, "%s/%s", options.store, rel(path));
    return buffer;
}

static void* stats_thread(void* arg);

static void* nf_init(struct fuse_conn_info* conn, struct fuse_config* cfg) {
    (void)conn;
    cfg->use_ino = 1;
    cfg->nullpath_ok = 1;
    cfg->hard_remove = 1;
    cfg->entry_timeout = options.cache_s;
    cfg->attr_timeout = options.cache_s;
    cfg->negative_timeout = 0;
    // Here, in the process that serves the mount (fuse_main may have forked into the background).
    static sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGUSR1);
    pthread_t thread;
    pthread_create(&thread, NULL, stats_thread, &set);
    pthread_detach(thread);
    return NULL;
}

static int nf_getattr(const char* path, struct stat* st, struct fuse_file_info* fi) {
    begin(OP_getattr, path);
    int r = fi ? ERR(fstat(fi->fh, st)) : ERR(fstatat(root_fd, rel(path), st, AT_SYMLINK_NOFOLLOW));
    return end(r);
}

static int nf_access(const char* path, int mask) {
    begin(OP_access, path);
    return end(ERR(faccessat(root_fd, rel(path), mask, 0)));
}

static int nf_readlink(const char* path, char* buf, size_t size) {
    begin(OP_readlink, path);
    ssize_t n = readlinkat(root_fd, rel(path), buf, size - 1);
    if (n == -1) return end(-errno);
    buf[n] = 0;
    return end(0);
}

struct Dir {
    DIR* dir;
    struct dirent* entry;
    off_t offset;
};

static int nf_opendir(const char* path, struct fuse_file_info* fi) {
    begin(OP_opendir, path);
    int fd = openat(root_fd, rel(path), O_RDONLY | O_DIRECTORY);
    if (fd == -1) return end(-errno);
    struct Dir* d = calloc(1, sizeof *d);
    d->dir = fdopendir(fd);
    if (!d->dir) {
        int e = errno;
        close(fd);
        free(d);
        return end(-e);
    }
    fi->fh = (uint64_t)(uintptr_t)d;
    return end(0);
}

static int nf_readdir(const char* path, void* buf, fuse_fill_dir_t filler, off_t offset,
                      struct fuse_file_info* fi, enum fuse_readdir_flags flags) {
    begin(OP_readdir, path);
    struct Dir* d = (struct Dir*)(uintptr_t)fi->fh;
    if (offset != d->offset) {
        seekdir(d->dir, offset);
        d->entry = NULL;
        d->offset = offset;
    }
    // A network drive's listing brings each entry's attributes with its name.
    const int plus = (flags & FUSE_READDIR_PLUS) != 0;
    for (;;) {
        if (!d->entry) {
            d->entry = readdir(d->dir);
            if (!d->entry) break;
        }
        struct stat st;
        memset(&st, 0, sizeof st);
        enum fuse_fill_dir_flags fill = 0;
        if (plus && fstatat(dirfd(d->dir), d->entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            fill = FUSE_FILL_DIR_PLUS;
        } else {
            st.st_ino = d->entry->d_ino;
            st.st_mode = d->entry->d_type << 12;
        }
        off_t next = telldir(d->dir);
        if (filler(buf, d->entry->d_name, &st, next, fill)) break;
        d->entry = NULL;
        d->offset = next;
    }
    return end(0);
}

static int nf_releasedir(const char* path, struct fuse_file_info* fi) {
    begin(OP_releasedir, path);
    struct Dir* d = (struct Dir*)(uintptr_t)fi->fh;
    closedir(d->dir);
    free(d);
    return end(0);
}

static int nf_mknod(const char* path, mode_t mode, dev_t rdev) {
    begin(OP_mknod, path);
    return end(ERR(mknodat(root_fd, rel(path), mode, rdev)));
}

static int nf_mkdir(const char* path, mode_t mode) {
    begin(OP_mkdir, path);
    return end(ERR(mkdirat(root_fd, rel(path), mode)));
}

static int nf_unlink(const char* path) {
    begin(OP_unlink, path);
    return end(ERR(unlinkat(root_fd, rel(path), 0)));
}

static int nf_rmdir(const char* path) {
    begin(OP_rmdir, path);
    return end(ERR(unlinkat(root_fd, rel(path), AT_REMOVEDIR)));
}

static int nf_symlink(const char* from, const char* to) {
    begin(OP_symlink, to);
    return end(ERR(symlinkat(from, root_fd, rel(to))));
}

static int nf_rename(const char* from, const char* to, unsigned int flags) {
    begin(OP_rename, from);
    return end(ERR(syscall(SYS_renameat2, root_fd, rel(from), root_fd, rel(to), flags)));
}

static int nf_link(const char* from, const char* to) {
    begin(OP_link, to);
    return end(ERR(linkat(root_fd, rel(from), root_fd, rel(to), 0)));
}

static int nf_chmod(const char* path, mode_t mode, struct fuse_file_info* fi) {
    begin(OP_chmod, path);
    return end(fi ? ERR(fchmod(fi->fh, mode)) : ERR(fchmodat(root_fd, rel(path), mode, 0)));
}

static int nf_chown(const char* path, uid_t uid, gid_t gid, struct fuse_file_info* fi) {
    begin(OP_chown, path);
    return end(fi ? ERR(fchown(fi->fh, uid, gid))
                  : ERR(fchownat(root_fd, rel(path), uid, gid, AT_SYMLINK_NOFOLLOW)));
}

static int nf_truncate(const char* path, off_t size, struct fuse_file_info* fi) {
    begin(OP_truncate, path);
    if (fi) return end(ERR(ftruncate(fi->fh, size)));
    int fd = openat(root_fd, rel(path), O_WRONLY);
    if (fd == -1) return end(-errno);
    int r = ERR(ftruncate(fd, size));
    close(fd);
    return end(r);
}

static int nf_utimens(const char* path, const struct timespec tv[2], struct fuse_file_info* fi) {
    begin(OP_utimens, path);
    return end(fi ? ERR(futimens(fi->fh, tv)) : ERR(utimensat(root_fd, rel(path), tv, AT_SYMLINK_NOFOLLOW)));
}

static int nf_create(const char* path, mode_t mode, struct fuse_file_info* fi) {
    begin(OP_create, path);
    int fd = openat(root_fd, rel(path), fi->flags | O_CREAT, mode);
    if (fd == -1) return end(-errno);
    fi->fh = fd;
    return end(0);
}

static int nf_open(const char* path, struct fuse_file_info* fi) {
    begin(OP_open, path);
    int fd = openat(root_fd, rel(path), fi->flags & ~O_NOFOLLOW);
    if (fd == -1) return end(-errno);
    fi->fh = fd;
    return end(0);
}

static int nf_read(const char* path, char* buf, size_t size, off_t offset, struct fuse_file_info* fi) {
    begin(OP_read, path);
    ssize_t n = pread(fi->fh, buf, size, offset);
    return end(n == -1 ? -errno : (int)n);
}

static int nf_write(const char* path, const char* buf, size_t size, off_t offset, struct fuse_file_info* fi) {
    begin(OP_write, path);
    ssize_t n = pwrite(fi->fh, buf, size, offset);
    return end(n == -1 ? -errno : (int)n);
}

static int nf_statfs(const char* path, struct statvfs* st) {
    begin(OP_statfs, path);
    return end(ERR(fstatvfs(root_fd, st)));
}

static int nf_flush(const char* path, struct fuse_file_info* fi) {
    begin(OP_flush, path);
    // What the file system would do at a close: report a late write error.
    int fd = dup(fi->fh);
    if (fd == -1) return end(-errno);
    return end(ERR(close(fd)));
}

static int nf_release(const char* path, struct fuse_file_info* fi) {
    begin(OP_release, path);
    close(fi->fh);
    return end(0);
}

static int nf_fsync(const char* path, int datasync, struct fuse_file_info* fi) {
    begin(OP_fsync, path);
    return end(datasync ? ERR(fdatasync(fi->fh)) : ERR(fsync(fi->fh)));
}

static int nf_fsyncdir(const char* path, int datasync, struct fuse_file_info* fi) {
    (void)datasync;
    (void)fi;
    begin(OP_fsyncdir, path);
    return end(0);
}

static int nf_fallocate(const char* path, int mode, off_t offset, off_t length, struct fuse_file_info* fi) {
    begin(OP_fallocate, path);
    return end(ERR(fallocate(fi->fh, mode, offset, length)));
}

static int nf_getxattr(const char* path, const char* name, char* value, size_t size) {
    const int security = strncmp(name, "security.", 9) == 0;
    begin(security ? OP_getxattr_security : OP_getxattr, path);
    if (security) return end(-ENODATA);
    char full[PATH_MAX];
    ssize_t n = lgetxattr(full_path(path, full, sizeof full), name, value, size);
    return end(n == -1 ? -errno : (int)n);
}

static int nf_setxattr(const char* path, const char* name, const char* value, size_t size, int flags) {
    begin(OP_setxattr, path);
    char full[PATH_MAX];
    return end(ERR(lsetxattr(full_path(path, full, sizeof full), name, value, size, flags)));
}

static int nf_listxattr(const char* path, char* list, size_t size) {
    begin(OP_listxattr, path);
    char full[PATH_MAX];
    ssize_t n = llistxattr(full_path(path, full, sizeof full), list, size);
    return end(n == -1 ? -errno : (int)n);
}

static int nf_removexattr(const char* path, const char* name) {
    begin(OP_removexattr, path);
    char full[PATH_MAX];
    return end(ERR(lremovexattr(full_path(path, full, sizeof full), name)));
}

static off_t nf_lseek(const char* path, off_t off, int whence, struct fuse_file_info* fi) {
    begin(OP_lseek, path);
    off_t r = lseek(fi->fh, off, whence);
    return end(r == -1 ? -errno : r);
}

static const struct fuse_operations operations = {
    .init = nf_init,
    .getattr = nf_getattr,
    .access = nf_access,
    .readlink = nf_readlink,
    .opendir = nf_opendir,
    .readdir = nf_readdir,
    .releasedir = nf_releasedir,
    .mknod = nf_mknod,
    .mkdir = nf_mkdir,
    .unlink = nf_unlink,
    .rmdir = nf_rmdir,
    .symlink = nf_symlink,
    .rename = nf_rename,
    .link = nf_link,
    .chmod = nf_chmod,
    .chown = nf_chown,
    .truncate = nf_truncate,
    .utimens = nf_utimens,
    .create = nf_create,
    .open = nf_open,
    .read = nf_read,
    .write = nf_write,
    .statfs = nf_statfs,
    .flush = nf_flush,
    .release = nf_release,
    .fsync = nf_fsync,
    .fsyncdir = nf_fsyncdir,
    .fallocate = nf_fallocate,
    .getxattr = nf_getxattr,
    .setxattr = nf_setxattr,
    .listxattr = nf_listxattr,
    .removexattr = nf_removexattr,
    .lseek = nf_lseek,
};

// Writes the counts to --stats and zeroes them.
static void write_stats(void) {
    if (!options.stats) return;
    char temp[PATH_MAX];
    snprintf(temp, sizeof temp, "%s.part", options.stats);
    FILE* f = fopen(temp, "w");
    if (!f) return;
    fprintf(f, "caller\toperation\tcount\n");
    int n = atomic_load(&caller_count);
    for (int i = 0; i < n; ++i)
        for (int op = 0; op < OP_COUNT; ++op) {
            unsigned long c = atomic_exchange(&callers[i].count[op], 0);
            if (c) fprintf(f, "%s\t%s\t%lu\n", callers[i].name, op_names[op], c);
        }
    unsigned long total = atomic_exchange(&requests, 0);
    unsigned long sum = atomic_exchange(&in_flight_sum, 0);
    fprintf(f, "#\trequests\t%lu\n", total);
    fprintf(f, "#\tmax_in_flight\t%d\n", atomic_exchange(&max_in_flight, 0));
    fprintf(f, "#\tmean_in_flight_x1000\t%lu\n", total ? sum * 1000 / total : 0);
    fclose(f);
    rename(temp, options.stats);
    if (trace_file) {
        pthread_mutex_lock(&trace_lock);
        fflush(trace_file);
        pthread_mutex_unlock(&trace_lock);
    }
}

static void* stats_thread(void* arg) {
    sigset_t* set = arg;
    for (;;) {
        int sig;
        if (sigwait(set, &sig) == 0 && sig == SIGUSR1) write_stats();
    }
    return NULL;
}

#define OPTION(t, p) {t, offsetof(__typeof__(options), p), 1}
static const struct fuse_opt option_spec[] = {
    OPTION("--store=%s", store),
    OPTION("--stats=%s", stats),
    OPTION("--trace=%s", trace),
    OPTION("--latency=%lf", latency_ms),
    OPTION("--data-latency=%lf", data_latency_ms),
    OPTION("--cache=%lf", cache_s),
    FUSE_OPT_END,
};

int main(int argc, char* argv[]) {
    struct fuse_args args = FUSE_ARGS_INIT(argc, argv);
    if (fuse_opt_parse(&args, &options, option_spec, NULL) == -1) return 1;
    if (!options.store) {
        fprintf(stderr, "netfs: --store=DIR is missing\n");
        return 1;
    }
    char* store = realpath(options.store, NULL);
    if (!store) {
        perror(options.store);
        return 1;
    }
    options.store = store;
    root_fd = open(store, O_RDONLY | O_DIRECTORY);
    if (root_fd == -1) {
        perror(store);
        return 1;
    }
    if (options.trace) {
        trace_file = fopen(options.trace, "w");
        if (!trace_file) {
            perror(options.trace);
            return 1;
        }
    }
    clock_gettime(CLOCK_MONOTONIC, &started);
    umask(0);
    // SIGUSR1 is taken by one thread of its own (started in nf_init); every other thread, the
    // file system's workers included, inherits the block.
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &set, NULL);
    int r = fuse_main(args.argc, args.argv, &operations, NULL);
    write_stats();
    fuse_opt_free_args(&args);
    return r;
}

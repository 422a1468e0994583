// The command line of zel-appserver: serving (the default) and the admin commands.
//
//   zel-appserver [--config FILE] [--db URL] [--listen HOST:PORT] [--demo] [--log-level LEVEL]
//                 [--tls-cert FILE --tls-key FILE] [--threads N] [--queue N] [--pool N]
//   zel-appserver [--db URL] migrate | seed-demo
//   zel-appserver [--db URL] branch add CODE NAME | branch timezone CODE [ZONE] | branch list
//   zel-appserver [--db URL] operator add CODE NAME --branch B... [--password P]
//   zel-appserver [--db URL] operator passwd CODE [--password P] | enable CODE | disable CODE
//   zel-appserver [--db URL] operator grant CODE BRANCH | revoke CODE BRANCH | list
//   zel-appserver [--db URL] room add BRANCH CODE NAME | enable/disable BRANCH CODE | list BRANCH
// A password not given on the command line is read from the first line of standard input.
// --config names a file of "key = value" lines whose keys are the long options without the
// dashes (db, listen, tls-cert, tls-key, log-level, threads, queue, pool, demo, smtp-url,
// smtp-user, smtp-password-file, smtp-from, smtp-tls, smtp-ca-file); the command line
// wins over the file, and an unknown key is a usage error.
#pragma once

namespace zel::appserver {

// Exit codes scripts can test.
enum ExitCode {
    kExitOk = 0,
    kExitFailure = 1,   // anything else
    kExitUsage = 2,     // a bad flag or argument
    kExitDatabase = 3,  // the database cannot be opened or migrated
    kExitListen = 4,    // the address cannot be bound (port in use)
    kExitRefused = 5,   // an admin command refused (duplicate, unknown code, too long)
    kExitTls = 6,       // the TLS certificate or key cannot be used
};

int RunCli(int argc, char** argv);

}  // namespace zel::appserver

#pragma once
// The two places where the driver's identity and its server back end are chosen: the generic
// core never names KarvellConnection itself.
class Connection;
class Environment;

// A new environment with the driver's identity and preferences of its own; null when memory is
// short.
Environment* createEnvironment();

// A new, unconnected KarvellConnection registered with the environment; null when memory is
// short. The caller attaches it to its connection handle before connecting.
Connection* createConnection(Environment* environment);

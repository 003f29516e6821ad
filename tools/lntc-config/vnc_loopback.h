// The VNC server of `lntc-config --vnc` answers on the loopback address only, and to its own
// user only.
#pragma once
#include <string>

// Whether a socket can listen on this port of the loopback address as the VNC server's will;
// why not in why.
bool CanListenOnLoopback(int port, std::string& why);

// From now on, a socket bound to every interface on this port is bound to the loopback
// address instead, and the connections it accepts are only those made by a process of this
// process's effective user; each other one is closed unanswered and told to refused (a line).
// Should the bind itself fail (the port taken since CanListenOnLoopback), cannotListen is told;
// it is not expected to return.
void ServeOnLoopbackOnly(int port, void (*refused)(const std::string& line),
                         void (*cannotListen)(const std::string& line));

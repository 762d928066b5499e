// Wiring shared by the workstation and the command line grows here as adapters land.

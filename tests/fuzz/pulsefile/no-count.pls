[PulseRoot]
activePls=0
[Pulse0]
SectFmt=1

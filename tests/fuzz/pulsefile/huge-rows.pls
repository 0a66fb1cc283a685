[PulseRoot]
qPls=1
activePls=0
[Pulse0]
SectFmt=0
qItm=300000000

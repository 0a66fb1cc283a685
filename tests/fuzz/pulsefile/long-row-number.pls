[PulseRoot]
qPls=1
activePls=0
[Pulse0]
SectFmt=0
qItm=2
Link99999999999-sub1=1

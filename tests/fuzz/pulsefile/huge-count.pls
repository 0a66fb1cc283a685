[PulseRoot]
qPls=1e10
activePls=0

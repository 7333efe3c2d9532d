# Granite: a speckle of dark mica, pink feldspar and grey quartz grains.
ISL 1
size 256 256
seed 401
background 170 160 156
noise cell=2 opacity=60 color1=120,112,110 color2=214,206,200
points count=1800 size=3 vary=100 opacity=80 color1=196,150,140 color2=230,196,186
points count=1500 size=2 vary=60 color1=70,64,64 color2=30,28,28
blur radius=1 passes=1

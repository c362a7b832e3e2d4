<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:template name="row">
    <tr><xsl:value-of select="."/></tr>
  </xsl:template>
</xsl:stylesheet>
